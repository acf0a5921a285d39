#include "rename_operation.h"

namespace zemlo::app {

void rename_on_handset(OperationContext &ctx, const RenameRequest &request) {
    records::RemoteCommand command{records::kGroupFile, records::kCodeRename};
    command.first_path = records::handset_path(request.folder, request.old_name);
    command.second_path = records::handset_path(request.folder, request.new_name);
    ctx.outcome.file = request.old_name;
    const std::optional<uint16_t> result = ctx.send_file_command(MessageId::Renaming, command);
    if (!result) {
        return;
    }
    if (*result != records::kResultDone) {
        ctx.report(
            {*result == records::kResultInUse ? MessageId::FileInUse : MessageId::RenameFailed},
            ReportLevel::Failed);
        ctx.on_window([&] { ctx.listing.set_row_text(request.row, request.old_name); });
        return;
    }
    ctx.on_window([&] { ctx.listing.renamed(request.row, request.new_name); });
    ctx.end_with({MessageId::RenameDone}, ReportLevel::Finished, true);
}

}  // namespace zemlo::app
