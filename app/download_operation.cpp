#include "download_operation.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "remote_command_body.h"
#include "zemlo/handset_listing.h"
#include "zemlo/run_folder.h"

namespace zemlo::app {

namespace {

constexpr uint8_t kModeIdle = 0;
constexpr uint16_t kExtraSteps = 5;      // progress steps besides the data packets
constexpr int64_t kLargestFile = 65535;  // one part: a larger file is refused
constexpr size_t kMaxAnnouncedPath = 255;

}  // namespace

void download_to_handset(OperationContext &ctx, const DownloadRequest &in, SentFile &file,
                         const DownloadWindow &window) {
    // An after-download action the handset did not confirm: whether it kept the file is
    // unknown, so the table is not guessed at but read again from the handset.
    auto unconfirmed_action = [&] {
        ctx.report({MessageId::NoAnswer}, ReportLevel::Failed);
        window.relist();
    };
    ctx.outcome.file = in.source;
    // This download's own folder, removed with the converted file however the download ends;
    // the file is made new there (O_EXCL|O_NOFOLLOW) for the converters to fill.
    std::string why;
    const auto run = RunFolder::create(&why);
    if (!run || !run->make_empty_file(kTempDownloadFile, &why)) {
        ctx.report({MessageId::OpenFileFailed, {why}}, ReportLevel::Failed);
        return;
    }
    const std::string temp_path = run->file(kTempDownloadFile);
    const std::string entry_key = listing::entry_key(in.name + in.extension);

    // Convert, unless the folder is full and the name is new.
    const bool picture = in.type == kTypePicture;
    if (in.type != kTypePicture && in.type != kTypeMelody) {
        ctx.report({MessageId::UnsupportedType}, ReportLevel::Failed);
        return;
    }
    bool full = false;
    ctx.reporter.on_window([&] { full = window.folder_full(entry_key); });
    if (full) {
        ctx.report({MessageId::TooManyFiles}, ReportLevel::Failed);
        return;
    }
    ctx.report({picture ? MessageId::ConvertingPicture : MessageId::ConvertingMelody},
               ReportLevel::Progress);
    bool converted = false;
    ctx.reporter.on_window([&] { converted = window.convert(temp_path, in.source); });
    if (!converted) {
        ctx.report({picture ? MessageId::ConvertPictureFailed : MessageId::ConvertMelodyFailed},
                   ReportLevel::Failed);
        return;
    }
    ctx.report({picture ? MessageId::ConvertPictureDone : MessageId::ConvertMelodyDone},
               ReportLevel::Progress);

    int64_t length = 0;
    if (!file.open(temp_path, &length)) {
        ctx.report({MessageId::OpenFileFailed, {temp_path}}, ReportLevel::Failed);
        return;
    }
    struct CloseTemp {
        SentFile &file;
        ~CloseTemp() { file.close(); }
    } close_temp{file};

    std::array<uint8_t, records::kPacketDataBytes> data{};
    const uint16_t blocks = records::block_count(static_cast<size_t>(length));
    if (!picture && length > static_cast<int64_t>(records::kMaxMelodyBytes)) {
        ctx.report({MessageId::MelodyTooLarge}, ReportLevel::Failed);
        return;
    }
    // The packets carry one part of at most 65535 bytes; what the handset would make of several
    // parts is unknown, so a larger file is refused rather than sent in a guessed form.
    if (length > kLargestFile) {
        ctx.report({MessageId::FileTooLarge}, ReportLevel::Failed);
        return;
    }
    bool room = false;
    ctx.reporter.on_window([&] { room = window.room(entry_key, length); });
    if (!room) {
        ctx.report({MessageId::NoSpace}, ReportLevel::Failed);
        return;
    }

    records::RemoteCommand announce{records::kGroupFile, records::kCodeAnnounce};
    announce.first_path = records::handset_path(in.folder, in.name + in.extension);
    if (announce.first_path.size() > kMaxAnnouncedPath) {
        announce.first_path.resize(kMaxAnnouncedPath);
    }
    if (ctx.cancelled()) {
        return;
    }
    ctx.binding.set_mode(kModeIdle);
    const auto total_bytes = static_cast<uint64_t>(length);
    ctx.report({MessageId::StartingDownload}, ReportLevel::Progress,
               static_cast<uint16_t>(blocks + kExtraSteps),
               {Stage::Announcing, 0, blocks, 0, total_bytes});
    std::vector<uint8_t> reply = preset_reply();
    if (!ctx.send_command(command_body(announce), reply)) {
        ctx.hide_wait_window();
        return;
    }
    if (reply_result(reply) == records::kResultInUse) {
        ctx.report({MessageId::FileInUse}, ReportLevel::Failed);
        return;
    }
    if (reply_result(reply) != records::kResultDownloadAccepted) {
        ctx.report({MessageId::StartDownloadFailed}, ReportLevel::Failed);
        return;
    }
    ctx.binding.set_mode(kModeIdle);

    // A transfer that fails half-way leaves the handset in an unknown state: start afresh.
    auto drop_connection = [&](const Message &message, bool report_first) {
        if (report_first) {
            ctx.report(message, ReportLevel::Failed);
        }
        ctx.reporter.on_window(window.disconnected);
        if (!report_first) {
            ctx.report(message, ReportLevel::Failed);
        }
        ctx.reporter.on_window(window.forget_files);
    };

    // A melody's 6-byte prefix is not sent as data; its last byte rides in the start packet.
    uint8_t melody_prefix_last = 0;
    if (!picture) {
        file.read(data.data(), records::kMelodyPrefixBytes);
        melody_prefix_last = data[records::kStartMelodyByteOffset];
    }
    if (ctx.cancelled()) {
        return;
    }
    if (!ctx.binding.send_download_packet(
            records::make_pc_start_packet(blocks, melody_prefix_last))) {
        drop_connection({MessageId::StartPacketFailed}, true);
        return;
    }

    uint32_t total = 0;
    for (uint16_t n = 1; n <= blocks; ++n) {
        data.fill(0);
        const size_t got = file.read(data.data(), records::kPacketDataBytes);
        const records::DownloadPacket packet = records::make_data_packet(n, data.data(), got);
        total += packet.checksum;
        const uint64_t sent_before =
            std::min<uint64_t>(uint64_t{n - 1u} * records::kPacketDataBytes, total_bytes);
        ctx.report({MessageId::SendingPacket, {std::to_string(n)}}, ReportLevel::Progress, 0,
                   {Stage::Sending, n, blocks, sent_before, total_bytes});
        if (!ctx.binding.send_download_packet(packet)) {
            ctx.outcome.packet = n;
            drop_connection({MessageId::PacketFailed, {std::to_string(n)}}, false);
            return;
        }
        data.fill(0);
        if (ctx.cancelled()) {
            return;
        }
    }

    if (ctx.cancelled()) {
        return;
    }
    if (!ctx.binding.send_download_packet(records::make_end_packet(total))) {
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
    if (ctx.reporter.ask(
            {picture ? Question::PreviewPicture : Question::PreviewMelody, in.source, {}}) ==
        BoxAnswer::Ok) {
        const auto body = action(records::kActionPreview);
        if (ctx.cancelled()) {
            return;
        }
        ctx.binding.set_mode(kModeIdle);
        ctx.report({MessageId::Previewing}, ReportLevel::Progress);
        reply = preset_reply();
        int32_t status = 0;
        if (!ctx.send_command(body, reply, &status)) {
            ctx.hide_wait_window();
            return;
        }
        if (!confirmed(status)) {
            unconfirmed_action();
            return;
        }
        ctx.report({MessageId::PreviewSet}, ReportLevel::Progress);
    }
    if (ctx.reporter.ask({Question::KeepFile, in.source, {}}) == BoxAnswer::Ok) {
        const auto body = action(records::kActionSave);
        if (ctx.cancelled()) {
            return;
        }
        ctx.binding.set_mode(kModeIdle);
        ctx.report({}, ReportLevel::Progress, 0, {Stage::Saving});
        reply = preset_reply();
        int32_t status = 0;
        if (!ctx.send_command(body, reply, &status)) {
            ctx.report({MessageId::SaveFailed, {in.source}}, ReportLevel::Finished);
            return;
        }
        if (!confirmed(status)) {
            unconfirmed_action();
            return;
        }
        ctx.end_with({MessageId::DownloadSaved, {in.source}}, ReportLevel::Finished, true);
        ctx.reporter.on_window([&] { window.saved(length); });
    } else {
        const auto body = action(records::kActionDiscard);
        if (ctx.cancelled()) {
            return;
        }
        ctx.binding.set_mode(kModeIdle);
        ctx.report({MessageId::Discarding}, ReportLevel::Progress);
        reply = preset_reply();
        int32_t status = 0;
        if (!ctx.send_command(body, reply, &status)) {
            ctx.hide_wait_window();
            return;
        }
        if (!confirmed(status)) {
            unconfirmed_action();
            return;
        }
        ctx.end_with({MessageId::DownloadDiscarded, {in.source}}, ReportLevel::Finished, true);
    }
}

}  // namespace zemlo::app
