#include "handlink_session.h"

#include <cstring>

#include "zemlo/byte_order.h"
#include "zemlo/signal_record.h"

namespace handsim {

namespace rec = zemlo::records;

namespace {
constexpr uint32_t kPort = 1;
constexpr uint32_t kBaud = 115200;
constexpr int kPacketAttempts = 3;
}  // namespace

HandlinkSession::HandlinkSession() : sink_(make_sink(this)) {}

HandlinkSession::~HandlinkSession() {
    close();
    drop_sink(sink_);
    if (library_ != nullptr) {
        unload_file(library_);
    }
}

bool HandlinkSession::load(const std::string &library, std::string *error) {
    const std::string path =
        library.find_first_of("/\\") == std::string::npos ? program_dir() + "/" + library : library;
    library_ = load_file(path, error);
    return library_ != nullptr;
}

void HandlinkSession::post(void *self, uint32_t, uintptr_t wparam, intptr_t) {
    auto *s = static_cast<HandlinkSession *>(self);
    const auto *record = reinterpret_cast<const uint8_t *>(wparam);
    // Copy at once: the record is only ours while this call lasts.
    const size_t length = zemlo::read_le16(record + zemlo::kRecordLengthOffset);
    const uint8_t *m = record + zemlo::kRecordHeadBytes;
    if (length < zemlo::kLongBodyOffset ||
        length > HL_FORWARDED_RECORD_BYTES - zemlo::kRecordHeadBytes) {
        return;
    }
    const size_t body = std::min<size_t>(zemlo::read_le16(m + zemlo::kLongBodyLengthOffset),
                                         length - zemlo::kLongBodyOffset);
    Forwarded f{
        zemlo::read_le16(m + zemlo::kLongSignalIdOffset),
        std::vector<uint8_t>(m + zemlo::kLongBodyOffset, m + zemlo::kLongBodyOffset + body)};
    {
        std::lock_guard lock(s->mutex_);
        s->forwarded_.push_back(std::move(f));
    }
    s->cv_.notify_all();
}

bool HandlinkSession::open(const std::string &device, std::string *error) {
    auto set_port = symbol<void(uint32_t, const char *)>("SetPortDevice");
    if (!set_port) {
        *error = "the library lacks an export";
        return false;
    }
    set_port(kPort, device.c_str());
    return open_port(kPort, error);
}

bool HandlinkSession::open_port(uint32_t port, std::string *error) {
    auto set_handler = symbol<void(HlWindowHandle, uint32_t)>("SetMobileDataHandler");
    auto close_comm = symbol<void()>("CloseComm");
    auto open_comm = symbol<int32_t(uint32_t, uint32_t)>("OpenComm");
    auto send_setup = symbol<int32_t()>("SendSetup");
    if (!set_handler || !close_comm || !open_comm || !send_setup) {
        *error = "the library lacks an export";
        return false;
    }
    set_handler(sink_window(sink_), kWindowMessage);
    close_comm();
    if (const int32_t r = open_comm(port, kBaud); r != HL_OPEN_OK) {
        *error = "OpenComm returned " + std::to_string(r);
        return false;
    }
    if (const int32_t r = send_setup(); r != HL_SETUP_OK) {
        *error = "SendSetup returned " + std::to_string(r);
        return false;
    }
    return true;
}

void HandlinkSession::close() {
    if (library_ == nullptr) {
        return;
    }
    if (auto set_handler = symbol<void(HlWindowHandle, uint32_t)>("SetMobileDataHandler")) {
        set_handler(nullptr, 0);
    }
    if (auto close_comm = symbol<void()>("CloseComm")) {
        close_comm();
    }
}

void HandlinkSession::set_timeout_ms(uint32_t ms) {
    if (auto f = symbol<uint32_t(uint32_t)>("SetTimeoutMs")) {
        f(ms);
    }
}

HandlinkSession::Reply HandlinkSession::remote(const rec::RemoteCommand &command) {
    Reply r;
    auto f = symbol<int32_t(uint8_t *, uint8_t *)>("phiQntDlwRemoteCmd");
    if (f == nullptr) {
        return r;
    }
    auto body = rec::encode_remote_command(command);
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES, 0);
    if (command.group == rec::kGroupFile && command.code == rec::kCodeList) {
        zemlo::write_le16(&reply[rec::kReplyResultOffset], rec::kResultListPreset);
    }
    r.code = f(body.data(), reply.data());
    if (auto why = symbol<int32_t()>("GetLastRequestError")) {
        r.line_error = why();
    }
    r.reply = *rec::decode_remote_reply(reply.data(), reply.size());
    return r;
}

std::optional<HandlinkSession::Forwarded> HandlinkSession::next_forwarded(
    uint16_t signal_id, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::unique_lock lock(mutex_);
    for (;;) {
        while (!forwarded_.empty()) {
            Forwarded f = std::move(forwarded_.front());
            forwarded_.pop_front();
            if (f.signal_id == signal_id) {
                return f;
            }
        }
        if (cv_.wait_until(lock, deadline) == std::cv_status::timeout && forwarded_.empty()) {
            return std::nullopt;
        }
    }
}

std::optional<HandlinkSession::Listing> HandlinkSession::list(std::chrono::milliseconds wait,
                                                              std::string *error) {
    auto ack = symbol<int32_t(uint8_t *, uint8_t *)>("phiReceiveDataResp");
    {
        std::lock_guard lock(mutex_);
        forwarded_.clear();
    }
    rec::RemoteCommand c;
    c.group = rec::kGroupFile;
    c.code = rec::kCodeList;
    if (!remote(c).answered()) {
        *error = "the list command was not answered";
        return std::nullopt;
    }
    std::vector<uint8_t> assembled;
    size_t total = 0;
    bool receiving = false;
    Listing listing;
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES);
    for (;;) {
        const auto f = next_forwarded(rec::kSigDownloadDataInd, wait);
        if (!f) {
            *error = "the block transfer stopped";
            return std::nullopt;
        }
        const auto p = rec::decode_packet(f->body.data(), f->body.size());
        if (!p) {
            continue;
        }
        if (p->is_start()) {
            assembled.assign(rec::handset_start_blocks(*p) * rec::kPacketDataBytes + 1, 0);
            total = 0;
            receiving = true;
        } else if (p->is_end() && receiving) {
            break;
        } else if (receiving) {
            const size_t at = (p->sequence - 1) * rec::kPacketDataBytes;
            if (p->sequence == 0 || p->length > rec::kPacketDataBytes ||
                at + p->length >= assembled.size()) {
                continue;
            }
            std::copy(p->data.begin(), p->data.begin() + p->length, assembled.begin() + at);
            total += p->length;
            ++listing.data_packets;
        } else {
            continue;
        }
        auto body = rec::encode_ack();
        ack(body.data(), reply.data());
    }
    if (assembled.size() < rec::kStorageBlockBytes + 1 || total >= assembled.size()) {
        *error = "the block transfer was too short";
        return std::nullopt;
    }
    assembled[total] = 0;
    listing.storage = *rec::decode_storage_description(assembled.data(), assembled.size());
    listing.text = reinterpret_cast<const char *>(&assembled[rec::kListingOffset]);
    return listing;
}

std::optional<uint16_t> HandlinkSession::send_packet(const rec::DownloadPacket &packet) {
    auto f = symbol<int32_t(uint8_t *, uint8_t *)>("phiDownloadDataReq");
    auto body = rec::encode_packet(packet);
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES, 0);
    const int32_t r = f(body.data(), reply.data());
    if ((r >> 16) != rec::kSigDownloadAckRsp) {
        return std::nullopt;
    }
    return rec::decode_ack_status(reply.data(), static_cast<size_t>(r & 0xFFFF));
}

HandlinkSession::DownloadResult HandlinkSession::send_file(const std::vector<uint8_t> &file,
                                                           bool melody, bool corrupt_first) {
    DownloadResult result;
    const size_t skip = melody ? rec::kMelodyPrefixBytes : 0;
    const uint16_t blocks = rec::block_count(file.size());
    auto deliver = [&](const rec::DownloadPacket &p, bool corrupt) {
        for (int attempt = 0; attempt < kPacketAttempts; ++attempt) {
            auto sent = p;
            if (corrupt && attempt == 0) {
                sent.checksum ^= 0x5A5A;
            }
            const auto status = send_packet(sent);
            if (status && rec::ack_status_ok(*status)) {
                return true;
            }
            result.refusals += status ? 1 : 0;
        }
        return false;
    };
    const uint8_t prefix_last =
        melody && file.size() > rec::kStartMelodyByteOffset ? file[rec::kStartMelodyByteOffset] : 0;
    if (!deliver(rec::make_pc_start_packet(blocks, prefix_last), false)) {
        return result;
    }
    uint32_t total = 0;
    for (uint16_t n = 1; n <= blocks; ++n) {
        const size_t pos = std::min(file.size(), skip + (n - 1) * rec::kPacketDataBytes);
        const size_t len = std::min(rec::kPacketDataBytes, file.size() - pos);
        const auto p = rec::make_data_packet(n, file.data() + pos, len);
        total += p.checksum;
        if (!deliver(p, corrupt_first)) {
            result.failed_packet = n;
            return result;
        }
    }
    if (!deliver(rec::make_end_packet(total), false)) {
        result.failed_packet = blocks + 1u;
        return result;
    }
    result.delivered = true;
    return result;
}

std::optional<uint16_t> HandlinkSession::wait_event(std::chrono::milliseconds wait) {
    for (;;) {
        const auto f = next_forwarded(rec::kSigDlwRemoteCmdInd, wait);
        if (!f) {
            return std::nullopt;
        }
        const auto c = rec::decode_remote_command(f->body.data(), f->body.size());
        if (c && c->group == rec::kGroupEvent) {
            return c->code;
        }
    }
}

}  // namespace handsim
