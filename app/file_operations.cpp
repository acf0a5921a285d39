// Rename, delete and format: the operations that change the handset's media store.
#include "main_core.h"
#include "remote_command_body.h"

namespace zemlo::app {

namespace {

constexpr uint16_t kSingleStep = 1;
constexpr uint16_t kFormatHandshakeRange = 3;
constexpr uint16_t kFormatRange = 2;
constexpr uint32_t kFormatTimeoutMs = 500;

}  // namespace

// Reports the step, then sends a command that names a file; the handset's result, or nothing when
// the operation ends here (cancelled, or the link could not be opened).
std::optional<uint16_t> MainCore::send_file_command(MessageId progress,
                                                    const records::RemoteCommand &command) {
    report({progress}, ReportLevel::Progress, kSingleStep);
    if (values_.cancel.load()) {
        return std::nullopt;
    }
    std::vector<uint8_t> reply = preset_reply();
    if (!send_command(command_body(command), reply)) {
        hide_wait_window();
        return std::nullopt;
    }
    return reply_result(reply);
}

void MainCore::run_rename() {
    std::string folder;
    std::string old_name;
    std::string new_name;
    int32_t row = -1;
    on_window([&] {
        folder = current_handset_folder_;
        old_name = rename_old_;
        new_name = rename_new_;
        row = selected_row_;
    });
    records::RemoteCommand command{records::kGroupFile, records::kCodeRename};
    command.first_path = folder + "\\" + old_name;
    command.second_path = folder + "\\" + new_name;
    outcome_.file = old_name;
    const std::optional<uint16_t> sent = send_file_command(MessageId::Renaming, command);
    if (!sent) {
        return;
    }
    const uint16_t result = *sent;
    if (result != records::kResultDone) {
        report({result == records::kResultInUse ? MessageId::FileInUse : MessageId::RenameFailed},
               ReportLevel::Failed);
        on_window([&] { set_row_text(row, old_name); });
        return;
    }
    on_window([&] {
        set_row_text(row, new_name);
        if (const HandsetEntry *entry = table_.at(selected_entry_)) {
            const size_t caret = entry->text.find(kEntrySeparator);
            const std::string size =
                caret == std::string::npos ? std::string() : entry->text.substr(caret + 1);
            table_.set_text(selected_entry_, new_name + kEntrySeparator + size);
        }
    });
    end_with({MessageId::RenameDone}, ReportLevel::Finished, true);
}

void MainCore::run_delete() {
    std::string folder;
    std::string name;
    on_window([&] {
        folder = current_handset_folder_;
        if (selected_row_ >= 0 && static_cast<size_t>(selected_row_) < rows_.size()) {
            name = rows_[static_cast<size_t>(selected_row_)].name;
        }
    });
    records::RemoteCommand command{records::kGroupFile, records::kCodeDelete};
    command.first_path = folder + "\\" + name;
    outcome_.file = name;
    const std::optional<uint16_t> sent = send_file_command(MessageId::Deleting, command);
    if (!sent) {
        return;
    }
    const uint16_t result = *sent;
    if (result == records::kResultInUse) {
        report({MessageId::FileInUse}, ReportLevel::Failed);
        return;
    }
    if (result != records::kResultDone) {
        report({MessageId::DeleteFailed}, ReportLevel::Failed);
        return;
    }
    on_window([&] {
        if (selected_row_ >= 0 && static_cast<size_t>(selected_row_) < rows_.size()) {
            free_space_ += std::stoll("0" + rows_[static_cast<size_t>(selected_row_)].size);
        }
        ui_.set_space(capacity_, free_space_);
        table_.remove(selected_entry_);
        rows_.clear();
        ui_.show_handset_rows(rows_);
        ui_.focus_handset_tree();
        refill_handset_list();
    });
    end_with({MessageId::DeleteDone}, ReportLevel::Finished, true);
}

void MainCore::run_format() {
    const bool connected = values_.connected.load();
    if (!connected) {
        report({MessageId::Connecting}, ReportLevel::Progress, kFormatHandshakeRange);
        std::vector<uint8_t> reply;
        if (!handshake_with_attempts(records::kHandshakeFormat, reply)) {
            return;
        }
        if (reply_status(reply) != records::kStatusAccepted) {
            report({MessageId::PhoneCommError}, ReportLevel::Failed);
            return;
        }
    }
    on_window([this] { connection_state_update(false, false); });
    report({MessageId::Formatting}, ReportLevel::Progress, connected ? kFormatRange : 0);
    std::vector<uint8_t> reply = preset_reply();
    binding_.set_timeout(kFormatTimeoutMs);
    int32_t status = 0;
    const bool sent =
        send_command(command_body({records::kGroupFile, records::kCodeFormat}), reply, &status);
    binding_.set_timeout(kDefaultTimeoutMs);
    if (!sent) {
        hide_wait_window();
        return;
    }
    // Only a handset that took the command and went quiet is restarting; a command that never
    // reached it (the line gone) formatted nothing, so nothing is cleared.
    if (!confirmed(status) && status != HL_TIMEOUT) {
        report({MessageId::NoAnswer}, ReportLevel::Failed);
        return;
    }
    const uint16_t result = reply_result(reply);
    if (result == records::kResultInUse) {
        report({MessageId::FormatInUse}, ReportLevel::Failed);
        return;
    }
    if (result == records::kResultFormatFailed) {
        report({MessageId::FormatFailed}, ReportLevel::Failed);
        return;
    }
    // Any other answer, or none at all, means the handset is restarting with an empty store.
    report({MessageId::Restarting}, ReportLevel::Progress);
    if (!token_.sleep_for(restart_wait_)) {
        return;
    }
    end_with({MessageId::FormatDone}, ReportLevel::Notice, true);
    on_window([this] {
        clear_handset_files();
        connection_state_update(false, true);
    });
}

}  // namespace zemlo::app
