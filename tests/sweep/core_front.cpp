#include "core_front.h"

#include <stdlib.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>

#include "event_loop_thread.h"
#include "file_bytes.h"
#include "main_core.h"
#include "sweep_scene.h"
#include "wait_until.h"
#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"
#include "zemlo/listing_text.h"

namespace zemlo::sweep {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using app::MainCore;
using app::MessageId;
using CoreOperation = app::Operation;

namespace {

constexpr uint64_t kCapacity = 524288;  // the emulator's default
constexpr auto kLineBack = 5s;
constexpr auto kSettle = 5s;  // the handset answers what it has within this
constexpr int kTries = 3;     // of a connect before or after the run
constexpr size_t kPictureBytes = 3 * records::kPacketDataBytes;  // three data packets
constexpr size_t kMelodyBytes = 1300;                            // three data packets too
constexpr size_t kMelodySizeAdjust = 9;  // a melody's length field: the file size less 9
constexpr uint8_t kMelodyFormat = 0x01;

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        v[i] = static_cast<uint8_t>(seed + i * 11);
    }
    return v;
}

// What the converters would have written: a picture and a melody of three data packets each.
std::vector<uint8_t> converted_melody() {
    std::vector<uint8_t> m = pattern(kMelodyBytes, 5);
    m[0] = kMelodyFormat;
    m[1] = 0;
    write_le32(&m[2], static_cast<uint32_t>(kMelodyBytes - kMelodySizeAdjust));
    return m;
}

// The front end the sweep gives the core: the four calls every front end answers (ask,
// show_error, operation_report, operation_ended), and the converters.
class SweepFront : public app::FrontEnd, public app::MediaPort {
  public:
    SweepFront(bool preview, bool keep) : preview_(preview), keep_(keep) {}

    app::BoxAnswer ask(const app::QuestionAsked &asked) override {
        switch (asked.question) {
            case app::Question::PreviewPicture:
            case app::Question::PreviewMelody:
                return preview_ ? app::BoxAnswer::Ok : app::BoxAnswer::Cancel;
            case app::Question::KeepFile:
                return keep_ ? app::BoxAnswer::Ok : app::BoxAnswer::Cancel;
            default:
                return app::BoxAnswer::Ok;
        }
    }
    void show_error(const app::ErrorNotice &notice) override {
        std::lock_guard lock(mutex_);
        errors_.push_back(notice.message.id);
    }
    void operation_report(const app::Report &) override {}
    void show_summary(const std::string &) override {}
    void operation_ended(const app::Outcome &outcome) override {
        {
            std::lock_guard lock(mutex_);
            outcomes_.push_back(outcome);
        }
        cv_.notify_all();
    }

    // --- what the sweep reads of it ---
    void clear() {
        std::lock_guard lock(mutex_);
        outcomes_.clear();
        errors_.clear();
    }
    // The first outcome of the operation, waited for at most `bound`.
    std::optional<app::Outcome> outcome_of(CoreOperation op, std::chrono::milliseconds bound) {
        std::unique_lock lock(mutex_);
        std::optional<app::Outcome> found;
        cv_.wait_for(lock, bound, [&] {
            for (const auto &o : outcomes_) {
                if (o.operation == op || o.operation == CoreOperation::None) {
                    found = o;
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    std::vector<MessageId> errors() {
        std::lock_guard lock(mutex_);
        return errors_;
    }

    // --- the converters: the files they would have made ---
    void show_picture(const std::string &) override {}
    void set_melody_source(const std::string &) override {}
    app::ConversionChoice conversion_choice(app::FileType, const std::string &) override {
        return {};
    }
    bool convert_picture(const std::string &out, const std::string &,
                         const media::PictureChoice &) override {
        testing::write_file(out, pattern(kPictureBytes, 9));
        return true;
    }
    bool convert_melody(const std::string &out, const std::string &, bool) override {
        testing::write_file(out, converted_melody());
        return true;
    }

  private:
    const bool preview_;
    const bool keep_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<app::Outcome> outcomes_;
    std::vector<MessageId> errors_;
};

// Of the main window's widgets, the buttons: what the sweep holds against the connection. The
// rest shows nothing, as for a front end without a window.
class ButtonsSeen : public app::WindowPort {
  public:
    app::ButtonStates buttons() {
        std::lock_guard lock(mutex_);
        return buttons_;
    }
    void set_buttons(const app::ButtonStates &b) override {
        std::lock_guard lock(mutex_);
        buttons_ = b;
    }
    void set_status_line(const std::string &) override {}
    void set_connection_text(const std::string &, bool) override {}
    void set_space(int64_t, int64_t) override {}
    void focus_handset_tree() override {}
    void focus_handset_list() override {}
    void show_handset_rows(const std::vector<app::HandsetRow> &) override {}
    int32_t selected_handset_row() override { return -1; }
    void set_handset_row_text(int32_t, const std::string &) override {}
    void edit_handset_row(int32_t, const std::string &) override {}
    void set_download_name_box(const std::string &) override {}
    void set_extension_label(const std::string &) override {}
    void set_pc_file_label(const std::string &) override {}
    void show_pc_files(const std::vector<app::PcFileRow> &) override {}
    void show_panel(app::FileType) override {}
    void open_help(const std::string &) override {}
    void show_about() override {}
    std::optional<uint32_t> choose_port(uint32_t) override { return std::nullopt; }

  private:
    std::mutex mutex_;
    app::ButtonStates buttons_;
};

// The core's file table and free space as a listing.
Listed shown_by(const MainCore &core) {
    Listed l;
    for (const auto &e : core.listing().table().entries()) {
        const std::string folder = e.type == app::FileType::Picture ? "pic/" : "melody/";
        l.sizes[folder + std::string(listing::entry_name(e.text))] = static_cast<uint64_t>(
            listing::entry_size_after(e.text, e.text.find(listing::kSizeMark)));
    }
    l.free_space = core.listing().free_space();
    return l;
}

// What the core shows agrees with the store: connected with the store's files, or not connected
// with none; the buttons follow.
bool core_agrees(const MainCore &core, bool connected, const app::ButtonStates &buttons,
                 const StoreFiles &store) {
    if (!connected) {
        return core.listing().table().entries().empty() &&
               buttons == app::button_states(false, true);
    }
    return shown_by(core) == listing_of(store, kCapacity) &&
           buttons == app::button_states(true, true);
}

// The operation the arguments ask for, started on the window thread as the window's confirmed
// request; CoreOperation::None when it could not start.
CoreOperation start_request(MainCore &core, const std::vector<std::string> &args,
                            const fs::path &pc) {
    const std::string &what = args.at(0);
    if (what == "connect") {
        core.connect_command();
        return CoreOperation::Connect;
    }
    if (what == "disconnect") {
        core.disconnect_command();
        return CoreOperation::Disconnect;
    }
    if (what == "format") {
        return core.format_store() ? CoreOperation::Format : CoreOperation::None;
    }
    if (what == "download") {
        const bool picture = args.at(1) == "picture";
        const std::string source = (pc / (picture ? "photo.bmp" : "tune.mid")).string();
        return core.download_file(picture ? app::FileType::Picture : app::FileType::Melody, source,
                                  picture ? "photo" : "tune")
                   ? CoreOperation::Download
                   : CoreOperation::None;
    }
    const app::FileType type = args.at(1) == "pic" ? app::FileType::Picture : app::FileType::Melody;
    if (what == "rename") {
        return core.rename_file(type, args.at(2), args.at(3)) ? CoreOperation::Rename
                                                              : CoreOperation::None;
    }
    if (what == "delete") {
        return core.delete_file(type, args.at(2)) ? CoreOperation::Delete : CoreOperation::None;
    }
    return CoreOperation::None;
}

// One core over the emulator, and the waits of a run.
class CoreRun {
  public:
    CoreRun(const std::string &link, bool preview, bool keep) : front_(preview, keep) {
        profile_.set_port_device(app::kDefaultComPort, link);
        core_ = std::make_unique<MainCore>(values_, front_, front_, loop_, profile_, &buttons_);
        loop_.invoke([&] {
            loaded_ = core_->initialise(fs::read_symlink("/proc/self/exe").parent_path().string());
        });
        alive_ = core_.get();
    }
    ~CoreRun() {
        alive_ = nullptr;
        loop_.invoke([&] { core_->teardown(); });
        loop_.drain();
        if (hung_.valid()) {
            return;  // a core that never went idle is left as it is, its thread with it
        }
        core_.reset();
    }
    CoreRun(const CoreRun &) = delete;
    CoreRun &operator=(const CoreRun &) = delete;

    bool loaded() const { return loaded_; }
    SweepFront &front() { return front_; }
    app::ButtonStates buttons() { return buttons_.buttons(); }
    app::ProgramValues &values() { return values_; }

    // Cancel, as the wait window's button: from any thread.
    void press_cancel() {
        loop_.post([this] {
            if (MainCore *core = alive_.load()) {
                core->wait_cancel();
            }
        });
    }

    template <class F>
    auto on_window(F &&f) {
        using R = decltype(f(*core_));
        if constexpr (std::is_void_v<R>) {
            loop_.invoke([&] { f(*core_); });
        } else {
            R result{};
            loop_.invoke([&] { result = f(*core_); });
            return result;
        }
    }

    // Waits until no operation runs and no listing is being received.
    bool settle(std::chrono::milliseconds bound) {
        auto idle = std::async(std::launch::async, [this] { core_->wait_until_idle(); });
        if (idle.wait_for(bound) != std::future_status::ready) {
            hung_ = std::move(idle);
            return false;
        }
        return testing::wait_until(
            [&] { return on_window([](MainCore &c) { return !c.listing_pending(); }); }, bound);
    }

    // Runs an operation to its end: its outcome, or nothing when it never ended.
    std::optional<app::Outcome> run(const std::function<CoreOperation(MainCore &)> &start,
                                    std::chrono::milliseconds bound) {
        front_.clear();
        const CoreOperation op = on_window(start);
        if (op == CoreOperation::None) {
            return app::Outcome{};
        }
        const auto outcome = front_.outcome_of(op, bound);
        if (!settle(bound)) {
            return std::nullopt;
        }
        return outcome ? outcome : front_.outcome_of(op, 1ms);
    }

    // Connects; a connect that failed is tried again (the short times of the sweep let a loaded
    // machine miss one), which the note records.
    std::optional<app::Outcome> connect(std::chrono::milliseconds bound, std::string *note) {
        auto connect = [](MainCore &c) {
            c.connect_command();
            return CoreOperation::Connect;
        };
        auto outcome = run(connect, bound);
        for (int again = 1; again < kTries && outcome && !outcome->succeeded; ++again) {
            *note += " | connect tried again after: " + app::render(outcome->result);
            outcome = run(connect, bound);
        }
        return outcome;
    }

  private:
    app::ProgramValues values_;
    SweepFront front_;
    ButtonsSeen buttons_;
    app::EventLoopThread loop_;
    app::MemoryProfile profile_{app::kDefaultComPort};
    std::unique_ptr<MainCore> core_;
    std::atomic<MainCore *> alive_{nullptr};
    bool loaded_ = false;
    std::future<void> hung_;
};

Told told_by(const app::Outcome &o, const Settings &) {
    if (o.succeeded) {
        return Told::Success;
    }
    const bool unknown =
        o.result == MessageId::ResultUnknown || o.result == MessageId::FormatUnconfirmed;
    return unknown ? Told::Unknown : Told::Failure;
}

}  // namespace

std::vector<Operation> core_operations() {
    return {
        {"connect and list", {"connect"}, {{}, {}}, std::nullopt, true},
        {"download picture", {"download", "picture", "preview", "keep"}, {{"announce"}, {}}},
        {"download melody", {"download", "melody", "preview", "keep"}, {{"announce"}, {}}},
        {"discard after download",
         {"download", "melody", "no-preview", "discard"},
         {{"action discard"}, {}}},
        {"rename", {"rename", "pic", "a.bmp", "c"}, {{"rename"}, {}}},
        {"delete", {"delete", "pic", "a.bmp"}, {{"delete"}, {}}},
        // The format's own frames and the handset reached again after its restart; the listing
        // that follows is a connect's, whose every frame the connect's row already tries.
        {"format", {"format"}, {{}, {"list"}}},
        {"disconnect", {"disconnect"}, {{"disconnect"}, {}}},
    };
}

void prepare_core_process(const Settings &s, const fs::path &work) {
    const std::string percent = std::to_string(s.time_percent);
    ::setenv("HANDLINK_TIME_PERCENT", percent.c_str(), 1);
    ::setenv("ZEMLO_TIME_PERCENT", percent.c_str(), 1);
    ::setenv("ZEMLO_WORK_DIR", work.c_str(), 1);
}

RunRecord run_on_core(const Operation &op, const std::optional<PlannedRun> &fault,
                      const StoreFiles &intended, const Settings &s, const fs::path &work) {
    RunRecord rec;
    Scratch scratch;
    const fs::path dir = scratch.path();
    const fs::path store = dir / "store";
    const fs::path pc = dir / "pc";
    const fs::path link = dir / "ttyHS";
    lay_out_run(dir);
    rec.facts.before = read_store(store);
    rec.facts.intended = intended;

    std::atomic<CoreRun *> cancel_on{nullptr};
    handsim::EmulatorOptions o = emulator_options(dir, s, fault);
    if (fault && fault->kind == FaultKind::Cancel) {
        const uint32_t k = fault->point;
        o.on_point = [&cancel_on, k](const handsim::ExchangePoint &p) {
            if (p.index == k) {
                if (CoreRun *run = cancel_on.load()) {
                    run->press_cancel();
                }
            }
        };
    }
    handsim::Emulator sim(o);
    std::string error;
    if (!sim.start(&error)) {
        rec.note = "emulator: " + error;
        rec.facts.second_works = false;
        return rec;
    }
    const bool preview = op.args.size() > 2 && op.args[2] == "preview";
    const bool keep = !(op.args.size() > 3 && op.args[3] == "discard");
    {
        CoreRun run(link.string(), preview, keep);
        if (!run.loaded()) {
            rec.note = "the link library did not load";
            rec.facts.second_works = false;
            return rec;
        }
        // Every operation but the format (with its own handshake) and the connect itself starts
        // connected, as the window's would.
        const bool needs_connection = op.args[0] != "format" && op.args[0] != "connect";
        if (needs_connection) {
            const auto connected = run.connect(s.deadline, &rec.note);
            if (!connected || !connected->succeeded) {
                // Nothing of the operation ran: the run says only that the connect failed.
                rec.note = "could not connect before the operation: " +
                           (connected ? app::render(connected->result) : std::string("no end"));
                rec.facts.after = read_store(store);
                rec.facts.intended = rec.facts.before;
                rec.facts.second_works = false;
                return rec;
            }
        }
        cancel_on = &run;
        const auto started = std::chrono::steady_clock::now();
        const auto outcome =
            run.run([&](MainCore &c) { return start_request(c, op.args, pc); }, s.deadline);
        rec.facts.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        cancel_on = nullptr;
        rec.exchange = sim.exchange();
        sim.wait_idle(kSettle);
        rec.facts.after = read_store(store);
        if (!outcome) {
            rec.facts.ended = false;
            rec.note = "the operation did not end";
            return rec;
        }
        rec.facts.told = told_by(*outcome, s);
        const bool cancelled = fault && fault->kind == FaultKind::Cancel;
        rec.facts.failure_named = outcome->result != MessageId::None ||
                                  outcome->open_failure.has_value() || cancelled ||
                                  !run.front().errors().empty();
        rec.note = std::string(outcome->succeeded ? "succeeded: " : "failed: ") +
                   app::render(outcome->result) + (cancelled ? " (cancelled)" : "");
        const bool connected = run.values().connected.load();
        rec.facts.shown_agrees = run.on_window(
            [&](MainCore &c) { return core_agrees(c, connected, run.buttons(), rec.facts.after); });

        // Reconnect, and the table must be the store's; that connect is the next operation too.
        sim.control("clear");
        testing::wait_until([&] { return fs::is_symlink(link); }, kLineBack);
        if (connected) {
            run.run(
                [](MainCore &c) {
                    c.disconnect_command();
                    return CoreOperation::Disconnect;
                },
                s.deadline);
        }
        const auto again = run.connect(s.deadline, &rec.note);
        rec.facts.second_works = again && again->succeeded;
        const StoreFiles now = read_store(store);
        rec.facts.reconnect_agrees = !rec.facts.second_works || run.on_window([&](MainCore &c) {
            return core_agrees(c, true, run.buttons(), now);
        });
        if (!rec.facts.second_works) {
            rec.note += " | reconnect failed: " +
                        (again ? app::render(again->result) : std::string("no end"));
        }
    }
    rec.facts.left_behind = left_in(work);
    for (const auto &left : rec.facts.left_behind) {
        std::error_code ec;
        fs::remove_all(work / left, ec);
    }
    sim.stop();
    return rec;
}

}  // namespace zemlo::sweep
