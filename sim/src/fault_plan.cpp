#include "fault_plan.h"

#include <algorithm>

#include "zemlo/wire/frame_format.h"

namespace handsim {

namespace {
// Noise never forms a frame start or an answer, so the PC's receiver skips it between frames.
bool noise_safe(uint8_t b) {
    return b != zemlo::wire::kStx && b != zemlo::wire::kAck && b != zemlo::wire::kNak;
}
}  // namespace

bool FaultPlan::apply(const ControlCommand &c) {
    using Kind = ControlCommand::Kind;
    std::lock_guard lock(mutex_);
    switch (c.kind) {
        case Kind::NakEvery:
            nak_every_ = c.number;
            frames_for_nak_ = 0;
            return true;
        case Kind::DropAck:
            drop_ack_at_ = c.number;
            frames_for_drop_ = 0;
            return true;
        case Kind::BadChecksum:
            bad_checksum_at_ = c.number;
            own_frames_ = 0;
            return true;
        case Kind::Delay:
            delay_ms_ = c.number;
            return true;
        case Kind::Noise:
            noise_ = c.on;
            return true;
        case Kind::At:
            armed_.push_back({points_ + c.number, {c.point, c.second}});
            return true;
        case Kind::Clear:
            nak_every_ = drop_ack_at_ = bad_checksum_at_ = delay_ms_ = 0;
            noise_ = false;
            armed_.clear();
            return false;
        default:
            return false;
    }
}

std::optional<FaultPlan::Placed> FaultPlan::next_point(bool from_pc, const std::string &message,
                                                       uint32_t segment, ExchangePoint *point) {
    *point = {++points_, from_pc, message, segment};
    if (exchange_.size() < kMaxRecordedPoints) {
        exchange_.push_back(*point);
    }
    const auto it = std::find_if(armed_.begin(), armed_.end(),
                                 [this](const Armed &a) { return a.at == points_; });
    if (it == armed_.end()) {
        return std::nullopt;
    }
    const Placed placed = it->placed;
    armed_.erase(it);
    return placed;
}

void FaultPlan::tell(const ExchangePoint &point) const {
    if (on_point_) {
        on_point_(point);
    }
}

FaultPlan::PcFrameFaults FaultPlan::on_pc_frame(const std::string &message, uint32_t segment) {
    PcFrameFaults f;
    ExchangePoint point;
    {
        std::lock_guard lock(mutex_);
        f.placed = next_point(true, message, segment, &point);
        ++frames_for_nak_;
        ++frames_for_drop_;
        if (nak_every_ != 0 && frames_for_nak_ % nak_every_ == 0) {
            f.frame = PcFrame::Nak;
        } else if (drop_ack_at_ != 0 && frames_for_drop_ == drop_ack_at_) {
            drop_ack_at_ = 0;
            f.frame = PcFrame::Drop;
        }
    }
    tell(point);
    return f;
}

FaultPlan::OwnFrame FaultPlan::on_own_frame(const std::string &message, uint32_t segment) {
    OwnFrame f;
    ExchangePoint point;
    {
        std::lock_guard lock(mutex_);
        f.placed = next_point(false, message, segment, &point);
        ++own_frames_;
        if (bad_checksum_at_ != 0 && own_frames_ == bad_checksum_at_) {
            f.corrupt = true;
            bad_checksum_at_ = 0;
        }
        if (noise_) {
            f.noise_count = 1 + rng_() % kMaxNoiseBytes;
            for (size_t i = 0; i < f.noise_count; ++i) {
                uint8_t b = 0;
                do {
                    b = static_cast<uint8_t>(rng_());
                } while (!noise_safe(b));
                f.noise[i] = b;
            }
        }
    }
    tell(point);
    return f;
}

uint32_t FaultPlan::delay_ms() {
    std::lock_guard lock(mutex_);
    return delay_ms_;
}

std::vector<ExchangePoint> FaultPlan::exchange() const {
    std::lock_guard lock(mutex_);
    return exchange_;
}

}  // namespace handsim
