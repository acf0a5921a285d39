// Helpers shared by the emulator's tests: a temporary store folder and messages as the PC
// builds them.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "segment_codec.h"
#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"
#include "zemlo/work_dir.h"

namespace simtest {

class TempDir {
  public:
    TempDir() {
        // In the private work folder, as every temporary file of the project.
        const auto base = zemlo::ensure_work_dir();
        std::string pattern =
            (std::filesystem::path(base ? *base : "/tmp") / "handsim-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path &path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// A signal-form message from the PC's low-priority task to the download task.
inline handsim::PcMessage signal(uint16_t id, const uint8_t *body, size_t size,
                                 uint8_t receiver = zemlo::records::kQndlwTaskId) {
    handsim::Bytes m(8 + size, 0);
    m[0] = zemlo::records::kEmmiLowPriTaskId;
    m[1] = receiver;
    zemlo::write_le16(&m[4], static_cast<uint16_t>(size));
    zemlo::write_le16(&m[6], id);
    std::copy(body, body + size, m.begin() + 8);
    return {handsim::PcMessage::Form::Signal, m};
}

inline handsim::PcMessage command(const zemlo::records::RemoteCommand &c) {
    const auto body = zemlo::records::encode_remote_command(c);
    return signal(zemlo::records::kSigDlwRemoteCmdInd, body.data(), body.size());
}

inline handsim::PcMessage packet(const zemlo::records::DownloadPacket &p) {
    const auto body = zemlo::records::encode_packet(p);
    return signal(zemlo::records::kSigDownloadDataInd, body.data(), body.size());
}

inline handsim::PcMessage pc_ack() {
    const auto body = zemlo::records::encode_ack();
    return signal(zemlo::records::kSigDownloadAckRsp, body.data(), body.size());
}

}  // namespace simtest
