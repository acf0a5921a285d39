// The download: convert the chosen PC file, check the limits, announce it, send it in 512-byte
// packets, and ask whether the handset should preview it and keep it.
#include <algorithm>
#include <array>
#include <cstring>

#include "main_core.h"
#include "remote_command_body.h"
#include "zemlo/run_folder.h"

namespace zemlo::app {

namespace {

constexpr uint8_t kModeIdle = 0;
constexpr uint16_t kExtraSteps = 5;      // progress steps besides the data packets
constexpr int64_t kLargestFile = 65535;  // one part: a larger file is refused
constexpr size_t kMaxAnnouncedPath = 255;

struct DownloadInputs {
    int32_t type = 0;
    std::string source;
    std::string name;
    std::string extension;
    std::string folder;
};

}  // namespace

bool MainCore::open_temp_file(const std::string &path, int64_t *length) {
    std::lock_guard<std::mutex> lock(temp_mutex_);
    temp_file_ = std::fopen(path.c_str(), "rb");
    if (temp_file_ == nullptr) {
        return false;
    }
    if (std::fseek(temp_file_, 0, SEEK_END) != 0 || (*length = std::ftell(temp_file_)) < 0 ||
        std::fseek(temp_file_, 0, SEEK_SET) != 0) {
        std::fclose(temp_file_);
        temp_file_ = nullptr;
        return false;
    }
    return true;
}

size_t MainCore::read_temp_file(uint8_t *buf, size_t n) {
    std::lock_guard<std::mutex> lock(temp_mutex_);
    if (temp_file_ == nullptr) {
        return 0;  // closed by a handset event: the operation is being stopped
    }
    return std::fread(buf, 1, n, temp_file_);
}

void MainCore::close_temp_file() {
    std::lock_guard<std::mutex> lock(temp_mutex_);
    if (temp_file_ != nullptr) {
        std::fclose(temp_file_);
        temp_file_ = nullptr;
    }
}

// An after-download action the handset did not confirm: whether it kept the file is unknown, so
// the table is not guessed at but read again from the handset.
void MainCore::unconfirmed_action() {
    report({MessageId::NoAnswer}, ReportLevel::Failed);
    reread_listing();
}

void MainCore::run_download() {
    DownloadInputs in;
    on_window([&] {
        in = {file_type_, selected_pc_file_, download_name_, extension_, download_folder_};
    });
    outcome_.file = in.source;
    // This download's own folder, removed with the converted file however the download ends;
    // the file is made new there (O_EXCL|O_NOFOLLOW) for the converters to fill.
    std::string why;
    const auto run = RunFolder::create(&why);
    if (!run || !run->make_empty_file(kTempDownloadFile, &why)) {
        report({MessageId::OpenFileFailed, {why}}, ReportLevel::Failed);
        return;
    }
    const std::string temp_path = run->file(kTempDownloadFile);
    const std::string entry_key = in.name + in.extension + "^";

    // Convert, unless the folder is full and the name is new.
    const bool picture = in.type == kTypePicture;
    if (in.type != kTypePicture && in.type != kTypeMelody) {
        report({MessageId::UnsupportedType}, ReportLevel::Failed);
        return;
    }
    bool full = false;
    on_window([&] {
        const size_t limit = picture ? records::kMaxPictures : records::kMaxMelodies;
        full = static_cast<size_t>(table_.count(in.type)) >= limit &&
               table_.find(entry_key, in.type, false, nullptr) == -1;
    });
    if (full) {
        report({MessageId::TooManyFiles}, ReportLevel::Failed);
        return;
    }
    report({picture ? MessageId::ConvertingPicture : MessageId::ConvertingMelody},
           ReportLevel::Progress);
    bool converted = false;
    on_window([&] {
        converted = picture ? media_.convert_picture(temp_path, in.source)
                            : media_.convert_melody(temp_path, in.source);
    });
    if (!converted) {
        report({picture ? MessageId::ConvertPictureFailed : MessageId::ConvertMelodyFailed},
               ReportLevel::Failed);
        return;
    }
    report({picture ? MessageId::ConvertPictureDone : MessageId::ConvertMelodyDone},
           ReportLevel::Progress);

    int64_t length = 0;
    if (!open_temp_file(temp_path, &length)) {
        report({MessageId::OpenFileFailed, {temp_path}}, ReportLevel::Failed);
        return;
    }
    struct CloseTemp {
        MainCore *core;
        ~CloseTemp() { core->close_temp_file(); }
    } close_temp{this};

    std::array<uint8_t, records::kPacketDataBytes> data{};
    const uint16_t blocks = records::block_count(static_cast<size_t>(length));
    if (!picture && length > static_cast<int64_t>(records::kMaxMelodyBytes)) {
        report({MessageId::MelodyTooLarge}, ReportLevel::Failed);
        return;
    }
    // The packets carry one part of at most 65535 bytes; what the handset would make of several
    // parts is unknown, so a larger file is refused rather than sent in a guessed form.
    if (length > kLargestFile) {
        report({MessageId::FileTooLarge}, ReportLevel::Failed);
        return;
    }
    bool room = false;
    on_window([&] { room = table_.room(entry_key, in.type, length, free_space_); });
    if (!room) {
        report({MessageId::NoSpace}, ReportLevel::Failed);
        return;
    }

    records::RemoteCommand announce{records::kGroupFile, records::kCodeAnnounce};
    announce.first_path = in.folder + "\\" + in.name + in.extension;
    if (announce.first_path.size() > kMaxAnnouncedPath) {
        announce.first_path.resize(kMaxAnnouncedPath);
    }
    if (values_.cancel.load()) {
        return;
    }
    binding_.set_mode(kModeIdle);
    const auto total_bytes = static_cast<uint64_t>(length);
    report({MessageId::StartingDownload}, ReportLevel::Progress,
           static_cast<uint16_t>(blocks + kExtraSteps),
           {Stage::Announcing, 0, blocks, 0, total_bytes});
    std::vector<uint8_t> reply = preset_reply();
    if (!send_command(command_body(announce), reply)) {
        hide_wait_window();
        return;
    }
    if (reply_result(reply) == records::kResultInUse) {
        report({MessageId::FileInUse}, ReportLevel::Failed);
        return;
    }
    if (reply_result(reply) != records::kResultDownloadAccepted) {
        report({MessageId::StartDownloadFailed}, ReportLevel::Failed);
        return;
    }
    binding_.set_mode(kModeIdle);

    // A transfer that fails half-way leaves the handset in an unknown state: start afresh.
    auto drop_connection = [this](const Message &message, bool report_first) {
        if (report_first) {
            report(message, ReportLevel::Failed);
        }
        on_window([this] { connection_state_update(false, true); });
        if (!report_first) {
            report(message, ReportLevel::Failed);
        }
        on_window([this] { clear_handset_files(); });
    };

    // A melody's 6-byte prefix is not sent as data; its last byte rides in the start packet.
    uint8_t melody_prefix_last = 0;
    if (!picture) {
        read_temp_file(data.data(), records::kMelodyPrefixBytes);
        melody_prefix_last = data[records::kStartMelodyByteOffset];
    }
    if (values_.cancel.load()) {
        return;
    }
    if (!binding_.send_download_packet(records::make_pc_start_packet(blocks, melody_prefix_last))) {
        drop_connection({MessageId::StartPacketFailed}, true);
        return;
    }

    uint32_t total = 0;
    for (uint16_t n = 1; n <= blocks; ++n) {
        data.fill(0);
        const size_t got = read_temp_file(data.data(), records::kPacketDataBytes);
        const records::DownloadPacket packet = records::make_data_packet(n, data.data(), got);
        total += packet.checksum;
        const uint64_t sent_before =
            std::min<uint64_t>(uint64_t{n - 1u} * records::kPacketDataBytes, total_bytes);
        report({MessageId::SendingPacket, {std::to_string(n)}}, ReportLevel::Progress, 0,
               {Stage::Sending, n, blocks, sent_before, total_bytes});
        if (!binding_.send_download_packet(packet)) {
            outcome_.packet = n;
            drop_connection({MessageId::PacketFailed, {std::to_string(n)}}, false);
            return;
        }
        data.fill(0);
        if (values_.cancel.load()) {
            return;
        }
    }

    if (values_.cancel.load()) {
        return;
    }
    if (!binding_.send_download_packet(records::make_end_packet(total))) {
        drop_connection({MessageId::EndPacketFailed}, true);
        return;
    }

    const uint16_t argument = picture ? records::kArgumentPicture : records::kArgumentMelody;
    auto action = [&](uint16_t what) {
        records::RemoteCommand c{records::kGroupFile, records::kCodeAfterDownload};
        c.argument = argument;
        c.action = what;
        return command_body(c);
    };
    if (ask({picture ? Question::PreviewPicture : Question::PreviewMelody, in.source, {}}) ==
        BoxAnswer::Ok) {
        const auto body = action(records::kActionPreview);
        if (values_.cancel.load()) {
            return;
        }
        binding_.set_mode(kModeIdle);
        report({MessageId::Previewing}, ReportLevel::Progress);
        reply = preset_reply();
        int32_t status = 0;
        if (!send_command(body, reply, &status)) {
            hide_wait_window();
            return;
        }
        if (!confirmed(status)) {
            unconfirmed_action();
            return;
        }
        report({MessageId::PreviewSet}, ReportLevel::Progress);
    }
    if (ask({Question::KeepFile, in.source, {}}) == BoxAnswer::Ok) {
        const auto body = action(records::kActionSave);
        if (values_.cancel.load()) {
            return;
        }
        binding_.set_mode(kModeIdle);
        report({}, ReportLevel::Progress, 0, {Stage::Saving});
        reply = preset_reply();
        int32_t status = 0;
        if (!send_command(body, reply, &status)) {
            report({MessageId::SaveFailed, {in.source}}, ReportLevel::Finished);
            return;
        }
        if (!confirmed(status)) {
            unconfirmed_action();
            return;
        }
        end_with({MessageId::DownloadSaved, {in.source}}, ReportLevel::Finished, true);
        on_window([&] {
            const std::string text = in.name + in.extension + "^" + std::to_string(length);
            if (table_.find(text, in.type, true, &free_space_) == -1) {
                table_.append({in.type, text});
            }
            free_space_ -=
                static_cast<int64_t>(records::allocation_size(static_cast<uint64_t>(length)));
            ui_.set_space(capacity_, free_space_);
            ui_.focus_handset_tree();
            rows_.clear();
            ui_.show_handset_rows(rows_);
            refill_handset_list();
        });
    } else {
        const auto body = action(records::kActionDiscard);
        if (values_.cancel.load()) {
            return;
        }
        binding_.set_mode(kModeIdle);
        report({MessageId::Discarding}, ReportLevel::Progress);
        reply = preset_reply();
        int32_t status = 0;
        if (!send_command(body, reply, &status)) {
            hide_wait_window();
            return;
        }
        if (!confirmed(status)) {
            unconfirmed_action();
            return;
        }
        end_with({MessageId::DownloadDiscarded, {in.source}}, ReportLevel::Finished, true);
    }
}

}  // namespace zemlo::app
