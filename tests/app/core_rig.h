// The core wired to the in-process handset emulator over a pseudo-terminal, with a recording
// window: what the fault soak and the cable tests drive. Every wait is bounded, so a hung operation
// shows as a failed wait instead of a stuck test.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "event_loop_thread.h"
#include "handsim/emulator.h"
#include "main_core.h"
#include "recording_ui.h"
#include "zemlo/handset_records.h"

namespace zemlo::app::testing {

namespace rig_fs = std::filesystem;

class CoreRig {
  public:
    CoreRig() {
        char tmpl[] = "/tmp/zemlo-rig-XXXXXX";
        const char *made = ::mkdtemp(tmpl);
        dir_ = made != nullptr ? made : "/tmp";
        work_ = dir_ / "work";
        ::setenv("ZEMLO_WORK_DIR", work_.c_str(), 1);
        store_ = dir_ / "store";
        pc_ = dir_ / "pc";
        rig_fs::create_directories(store_ / "pic");
        rig_fs::create_directories(store_ / "melody");
        rig_fs::create_directories(pc_);
    }

    ~CoreRig() {
        shut_down();
        std::error_code ec;
        rig_fs::remove_all(dir_, ec);
    }

    CoreRig(const CoreRig &) = delete;
    CoreRig &operator=(const CoreRig &) = delete;

    // Starts the emulator on the link path; a second call brings a stopped one back.
    bool start_handset(std::string *error) {
        handsim::EmulatorOptions o;
        o.link_path = link_path();
        o.store_dir = store_.string();
        o.restart_quiet = std::chrono::milliseconds(300);
        o.log = [this](const std::string &line) {
            std::lock_guard<std::mutex> lock(sim_log_mutex_);
            sim_log_.push_back(line);
        };
        sim_ = std::make_unique<handsim::Emulator>(o);
        return sim_->start(error);
    }

    void stop_handset() {
        if (sim_) {
            sim_->stop();
        }
    }

    // Loads the library and points COM3 at the emulator's line, or at the device given.
    bool start_core(const std::string &port_device = {}) {
        profile_.set_port_device(3, port_device.empty() ? link_path() : port_device);
        core_ = std::make_unique<MainCore>(values_, ui_, ui_, loop_, profile_, &ui_);
        ui_.attach(core_.get());
        core_->set_format_timing({std::chrono::milliseconds(100), std::chrono::seconds(5)});
        bool loaded = false;
        loop_.invoke([&] { loaded = core_->initialise(module_dir()); });
        return loaded;
    }

    void shut_down() {
        if (core_) {
            loop_.invoke([&] { core_->teardown(); });
            loop_.drain();
            core_.reset();
        }
        stop_handset();
    }

    void on_window(const std::function<void()> &fn) { loop_.invoke(fn); }

    // Runs a command on the window thread and waits, at most `bound`, for the operation it
    // started to end. False when it did not end in time.
    bool run(const std::function<void(MainCore &)> &command, std::chrono::milliseconds bound) {
        on_window([&] { command(*core_); });
        return wait_idle(bound);
    }

    bool wait_idle(std::chrono::milliseconds bound) {
        auto done = std::async(std::launch::async, [this] { core_->wait_until_idle(); });
        if (done.wait_for(bound) != std::future_status::ready) {
            hung_ = std::move(done);  // kept so its thread is not joined here
            return false;
        }
        loop_.drain();
        return true;
    }

    bool connect(std::chrono::milliseconds bound) {
        ui_.clear_log();
        if (!run([](MainCore &c) { c.connect_command(); }, bound)) {
            return false;
        }
        return ui_.wait_for("status 连接手机成功", bound);
    }

    // The file of the user chosen for the next download, under the given name.
    void choose_pc_file(const std::string &file, FileType type, const std::string &name) {
        on_window([&] {
            core_->file_type_changed(type);
            core_->pc_folder_selected(pc_.string());
            core_->pc_file_chosen(file);
            core_->download_name_changed(name);
        });
    }

    bool sim_saw(const std::string &line) {
        std::lock_guard<std::mutex> lock(sim_log_mutex_);
        for (const auto &l : sim_log_) {
            if (l == line) {
                return true;
            }
        }
        return false;
    }
    void clear_sim_log() {
        std::lock_guard<std::mutex> lock(sim_log_mutex_);
        sim_log_.clear();
    }

    // Descriptors of this process that point at the work folder's files.
    std::vector<std::string> open_work_files() const {
        std::vector<std::string> open;
        std::error_code ec;
        for (rig_fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code link_ec;
            const auto target = rig_fs::read_symlink(it->path(), link_ec).string();
            if (!link_ec && target.rfind(work_.string() + "/", 0) == 0) {
                open.push_back(target);
            }
        }
        return open;
    }

    static size_t open_descriptor_count() {
        size_t n = 0;
        std::error_code ec;
        for (rig_fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end;
             it.increment(ec)) {
            ++n;
        }
        return n;
    }

    std::string dump() const {
        std::string s;
        for (const auto &l : ui_.log()) {
            s += l + "\n";
        }
        return s;
    }

    std::string link_path() const { return (dir_ / "ttyHS").string(); }
    const rig_fs::path &store() const { return store_; }
    const rig_fs::path &pc() const { return pc_; }
    const rig_fs::path &work() const { return work_; }
    RecordingUi &ui() { return ui_; }
    MainCore &core() { return *core_; }
    handsim::Emulator &sim() { return *sim_; }
    ProgramValues &values() { return values_; }
    EventLoopThread &loop() { return loop_; }
    MemoryProfile &profile() { return profile_; }
    const rig_fs::path &dir() const { return dir_; }

    static std::string module_dir() {
        return rig_fs::read_symlink("/proc/self/exe").parent_path().string();
    }

    // Bytes that differ from their neighbours, so a shifted or dropped packet shows.
    static std::vector<uint8_t> pattern(size_t n, uint8_t seed = 1) {
        std::vector<uint8_t> v(n);
        for (size_t i = 0; i < n; ++i) {
            v[i] = static_cast<uint8_t>(seed + i * 7);
        }
        return v;
    }
    static void write_file(const rig_fs::path &p, const std::vector<uint8_t> &bytes) {
        rig_fs::create_directories(p.parent_path());
        std::ofstream f(p, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char *>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<uint8_t> read_file(const rig_fs::path &p) {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }

  private:
    rig_fs::path dir_, work_, store_, pc_;
    ProgramValues values_;
    RecordingUi ui_;
    EventLoopThread loop_;
    MemoryProfile profile_{3};
    std::unique_ptr<handsim::Emulator> sim_;
    std::unique_ptr<MainCore> core_;
    std::future<void> hung_;
    std::mutex sim_log_mutex_;
    std::vector<std::string> sim_log_;
};

}  // namespace zemlo::app::testing
