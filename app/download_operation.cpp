#include "download_operation.h"

#include <algorithm>
#include <array>
#include <optional>

#include "connect_operation.h"
#include "remote_command_body.h"
#include "zemlo/listing_text.h"
#include "zemlo/run_folder.h"

namespace zemlo::app {

namespace {

constexpr uint16_t kExtraSteps = 5;      // progress steps besides the data packets
constexpr int64_t kLargestFile = 65535;  // one part: a larger file is refused
constexpr size_t kMaxAnnouncedPath = 255;

bool is_picture(const DownloadRequest &in) {
    return in.type == FileType::Picture;
}

// The file's name on the handset, with its folder's extension.
std::string handset_name(const DownloadRequest &in) {
    return in.name + std::string(file_extension(in.type));
}

// Converts the PC file into temp_path and opens it as the file to send, unless the folder is
// full and the name is new, the file breaks a limit or the handset has no room for it; the
// converted file's length, or nothing when the download ends here.
std::optional<int64_t> convert_and_check(OperationContext &ctx, const DownloadRequest &in,
                                         const std::string &temp_path, SentFile &file) {
    const std::string entry_key = listing::entry_key(handset_name(in));
    const bool picture = is_picture(in);
    if (in.type != FileType::Picture && in.type != FileType::Melody) {
        ctx.report({MessageId::UnsupportedType}, ReportLevel::Failed);
        return std::nullopt;
    }
    bool full = false;
    ctx.on_window([&] { full = ctx.listing.folder_full(in.type, entry_key); });
    if (full) {
        ctx.report({MessageId::TooManyFiles}, ReportLevel::Failed);
        return std::nullopt;
    }
    ctx.report({picture ? MessageId::ConvertingPicture : MessageId::ConvertingMelody},
               ReportLevel::Progress);
    bool converted = false;
    Message why;
    ctx.on_window(
        [&] { converted = ctx.window.convert(in.type, temp_path, in.source, in.choice, &why); });
    if (!converted) {
        // The first line as ever; the reason under it when the converter gave one the user can
        // act on (a melody without a note).
        ctx.report({picture ? MessageId::ConvertPictureFailed : MessageId::ConvertMelodyFailed,
                    {},
                    why.id,
                    why.args},
                   ReportLevel::Failed);
        return std::nullopt;
    }
    ctx.report({picture ? MessageId::ConvertPictureDone : MessageId::ConvertMelodyDone},
               ReportLevel::Progress);

    int64_t length = 0;
    if (!file.open(temp_path, &length)) {
        ctx.report({MessageId::OpenFileFailed, {temp_path}}, ReportLevel::Failed);
        return std::nullopt;
    }
    if (!picture && length > static_cast<int64_t>(records::kMaxMelodyBytes)) {
        ctx.report({MessageId::MelodyTooLarge}, ReportLevel::Failed);
        return std::nullopt;
    }
    // The packets carry one part of at most 65535 bytes; what the handset would make of several
    // parts is unknown, so a larger file is refused rather than sent in a guessed form.
    if (length > kLargestFile) {
        ctx.report({MessageId::FileTooLarge}, ReportLevel::Failed);
        return std::nullopt;
    }
    bool room = false;
    int64_t available = 0;
    ctx.on_window([&] {
        room = ctx.listing.room(in.type, entry_key, length);
        available = ctx.listing.available(in.type, entry_key);
    });
    if (!room) {
        const uint64_t takes = records::allocation_size(static_cast<uint64_t>(length));
        ctx.report({MessageId::NoSpace,
                    {},
                    MessageId::SpaceNeeded,
                    {std::to_string(takes), std::to_string(std::max<int64_t>(available, 0))}},
                   ReportLevel::Failed);
        return std::nullopt;
    }
    return length;
}

// Tells the handset a file of length bytes is coming under its name; true when it accepted.
bool announce(OperationContext &ctx, const DownloadRequest &in, int64_t length) {
    records::RemoteCommand command{records::kGroupFile, records::kCodeAnnounce};
    command.first_path =
        records::handset_path(folder_path(in.type), handset_name(in)).substr(0, kMaxAnnouncedPath);
    if (ctx.cancelled()) {
        return false;
    }
    ctx.binding.set_mode(kModeIdle);
    const uint16_t blocks = records::block_count(static_cast<size_t>(length));
    ctx.report({MessageId::StartingDownload}, ReportLevel::Progress,
               static_cast<uint16_t>(blocks + kExtraSteps),
               {Stage::Announcing, 0, blocks, 0, static_cast<uint64_t>(length)});
    std::vector<uint8_t> reply = preset_reply();
    if (!ctx.send_command(command_body(command), reply)) {
        ctx.hide_wait_window();
        return false;
    }
    if (reply_result(reply) == records::kResultInUse) {
        ctx.report({MessageId::FileInUse}, ReportLevel::Failed);
        return false;
    }
    if (reply_result(reply) != records::kResultDownloadAccepted) {
        ctx.report({MessageId::StartDownloadFailed}, ReportLevel::Failed);
        return false;
    }
    ctx.binding.set_mode(kModeIdle);
    return true;
}

// A transfer that fails half-way leaves the handset in an unknown state: start afresh. The
// handset was never told to keep the file, so it kept nothing, and the message says so, and
// whether the line was lost (a cable or adapter pulled out) rather than refused.
void drop_connection(OperationContext &ctx, Message message, int32_t line_error,
                     bool report_first) {
    message.detail =
        line_error == HL_STATUS_LINE_LOST ? MessageId::LineLostNothingKept : MessageId::NothingKept;
    if (report_first) {
        ctx.report(message, ReportLevel::Failed);
    }
    ctx.on_window([&] { ctx.window.show_not_connected(true); });
    if (!report_first) {
        ctx.report(message, ReportLevel::Failed);
    }
    ctx.on_window([&] { ctx.listing.forget_files(); });
}

// The start packet, the data packets and the end packet; true when every one went through.
bool send_packets(OperationContext &ctx, const DownloadRequest &in, SentFile &file,
                  int64_t length) {
    std::array<uint8_t, records::kPacketDataBytes> data{};
    const uint16_t blocks = records::block_count(static_cast<size_t>(length));
    const auto total_bytes = static_cast<uint64_t>(length);
    // A melody's 6-byte prefix is not sent as data; its last byte rides in the start packet.
    uint8_t melody_prefix_last = 0;
    if (!is_picture(in)) {
        file.read(data.data(), records::kMelodyPrefixBytes);
        melody_prefix_last = data[records::kStartMelodyByteOffset];
    }
    if (ctx.cancelled()) {
        return false;
    }
    int32_t line_error = 0;
    if (!ctx.binding.send_download_packet(records::make_pc_start_packet(blocks, melody_prefix_last),
                                          &line_error)) {
        drop_connection(ctx, {MessageId::StartPacketFailed}, line_error, true);
        return false;
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
        if (!ctx.binding.send_download_packet(packet, &line_error)) {
            ctx.outcome.packet = n;
            drop_connection(ctx, {MessageId::PacketFailed, {std::to_string(n)}}, line_error, false);
            return false;
        }
        if (ctx.cancelled()) {
            return false;
        }
    }
    if (ctx.cancelled()) {
        return false;
    }
    if (!ctx.binding.send_download_packet(records::make_end_packet(total), &line_error)) {
        drop_connection(ctx, {MessageId::EndPacketFailed}, line_error, true);
        return false;
    }
    return true;
}

// One after-download action: what the step shows, and what is reported when the command could
// not be sent at all.
struct ActionStep {
    uint16_t action = 0;
    Message progress;
    Progress stage;
    Message not_sent;
    ReportLevel not_sent_level = ReportLevel::Progress;
};

// Tells the handset what to do with the file it received; true once it confirmed. When it did not,
// whether it kept the file is unknown, so the table is not guessed at but read again; a keep that
// may have reached it is "unknown" to the user too. A keep the handset refused (no room, no
// complete transfer) is a failure: the file is not on the handset.
bool send_action(OperationContext &ctx, const DownloadRequest &in, const ActionStep &step) {
    records::RemoteCommand command{records::kGroupFile, records::kCodeAfterDownload};
    command.argument = is_picture(in) ? records::kArgumentPicture : records::kArgumentMelody;
    command.action = step.action;
    if (ctx.cancelled()) {
        return false;
    }
    ctx.binding.set_mode(kModeIdle);
    ctx.report(step.progress, ReportLevel::Progress, 0, step.stage);
    std::vector<uint8_t> reply = preset_reply();
    int32_t status = 0;
    const bool keep = step.action == records::kActionSave;
    if (!ctx.send_command(command_body(command), reply, &status, keep)) {
        ctx.report(step.not_sent, step.not_sent_level);
        return false;
    }
    if (!confirmed(status)) {
        if (keep && ctx.ended_unknown(status)) {
            return false;
        }
        ctx.report({MessageId::NoAnswer}, ReportLevel::Failed);
        relist_handset(ctx);
        return false;
    }
    if (keep && reply_result(reply) != records::kResultDone) {
        ctx.report({MessageId::SaveFailed, {in.source}}, ReportLevel::Failed);
        relist_handset(ctx);
        return false;
    }
    return true;
}

// The preview the user may ask for, then keeping the file or discarding it.
void after_download(OperationContext &ctx, const DownloadRequest &in, int64_t length) {
    const Question preview = is_picture(in) ? Question::PreviewPicture : Question::PreviewMelody;
    if (ctx.window.ask({preview, in.source, {}}) == BoxAnswer::Ok) {
        if (!send_action(ctx, in, {records::kActionPreview, {MessageId::Previewing}})) {
            return;
        }
        ctx.report({MessageId::PreviewSet}, ReportLevel::Progress);
    }
    if (ctx.window.ask({Question::KeepFile, in.source, {}}) != BoxAnswer::Ok) {
        if (send_action(ctx, in, {records::kActionDiscard, {MessageId::Discarding}})) {
            ctx.end_with({MessageId::DownloadDiscarded, {in.source}}, ReportLevel::Finished, true);
        }
        return;
    }
    if (!send_action(ctx, in,
                     {records::kActionSave,
                      {},
                      {Stage::Saving},
                      {MessageId::SaveFailed, {in.source}},
                      ReportLevel::Finished})) {
        return;
    }
    ctx.end_with({MessageId::DownloadSaved, {in.source}}, ReportLevel::Finished, true);
    ctx.on_window(
        [&] { ctx.listing.saved(in.type, listing::entry_text(handset_name(in), length), length); });
}

}  // namespace

void download_to_handset(OperationContext &ctx, const DownloadRequest &in, SentFile &file) {
    ctx.outcome.file = in.source;
    // This download's own folder, removed with the converted file however the download ends;
    // the file is made new there (O_EXCL|O_NOFOLLOW) for the converters to fill.
    std::string why;
    const auto run = RunFolder::create(&why);
    if (!run || !run->make_empty_file(kTempDownloadFile, &why)) {
        ctx.report({MessageId::OpenFileFailed, {why}}, ReportLevel::Failed);
        return;
    }
    struct CloseSent {
        SentFile &file;
        ~CloseSent() { file.close(); }
    } close_sent{file};
    const std::optional<int64_t> length =
        convert_and_check(ctx, in, run->file(kTempDownloadFile), file);
    if (length && announce(ctx, in, *length) && send_packets(ctx, in, file, *length)) {
        after_download(ctx, in, *length);
    }
}

}  // namespace zemlo::app
