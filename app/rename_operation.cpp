#include "rename_operation.h"

#include "zemlo/listing_text.h"

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
        Message refused{*result == records::kResultInUse ? MessageId::FileInUse
                                                         : MessageId::RenameFailed};
        // The handset says only no; a file of the new name in its listing is the likely reason.
        bool taken = false;
        ctx.on_window([&] {
            taken = ctx.listing.table().find(listing::entry_key(request.new_name),
                                             ctx.listing.shown_type()) != -1;
        });
        if (refused.id == MessageId::RenameFailed && taken) {
            refused.detail = MessageId::NameTaken;
            refused.detail_args = {request.new_name};
        }
        ctx.report(refused, ReportLevel::Failed);
        ctx.on_window([&] { ctx.listing.set_row_text(request.row, request.old_name); });
        return;
    }
    ctx.on_window([&] { ctx.listing.renamed(request.row, request.new_name); });
    ctx.end_with({MessageId::RenameDone}, ReportLevel::Finished, true);
}

}  // namespace zemlo::app
