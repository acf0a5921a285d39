#include "delete_operation.h"

namespace zemlo::app {

void delete_on_handset(OperationContext &ctx, const DeleteRequest &request) {
    records::RemoteCommand command{records::kGroupFile, records::kCodeDelete};
    command.first_path = records::handset_path(request.folder, request.name);
    ctx.outcome.file = request.name;
    const std::optional<uint16_t> result = ctx.send_file_command(MessageId::Deleting, command);
    if (!result) {
        return;
    }
    if (*result == records::kResultInUse) {
        ctx.report({MessageId::FileInUse}, ReportLevel::Failed);
        return;
    }
    if (*result != records::kResultDone) {
        ctx.report({MessageId::DeleteFailed}, ReportLevel::Failed);
        return;
    }
    ctx.on_window([&] { ctx.listing.deleted(); });
    ctx.end_with({MessageId::DeleteDone}, ReportLevel::Finished, true);
}

}  // namespace zemlo::app
