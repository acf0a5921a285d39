#include "main_core.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <system_error>

#include "delete_operation.h"
#include "file_name_rule.h"
#include "format_operation.h"
#include "handset_text.h"
#include "pc_file_filter.h"
#include "rename_operation.h"
#include "zemlo/byte_order.h"
#include "zemlo/com_port_rule.h"
#include "zemlo/handset_listing.h"
#include "zemlo/handset_records.h"
#include "zemlo/signal_record.h"

namespace zemlo::app {

namespace {

constexpr size_t kExtensionChars = 4;  // ".bmp", ".mid"

}  // namespace

// A call the operation worker makes on the window thread. It waits for the call to finish, or,
// when the operation is stopped while the call still waits in the queue, gives it up; a given-up
// call never runs, so it never touches the worker's (by then unwound) stack.
struct MainCore::WindowCall {
    enum class State { Pending, Running, Done, Abandoned };
    std::mutex mutex;
    std::condition_variable cv;
    State state = State::Pending;
    const std::function<void()> *fn = nullptr;
};

MainCore::MainCore(ProgramValues &values, UiPort &ui, MediaPort &media, Dispatcher &dispatcher,
                   Profile &profile)
    : values_(values),
      ui_(ui),
      media_(media),
      dispatcher_(dispatcher),
      profile_(profile),
      binding_(
          values,
          [this](const ErrorNotice &notice) {
              if (notice.open_failure && !dispatcher_.on_window_thread()) {
                  outcome_.open_failure = notice.open_failure;
              }
              on_window([&] { ui_.show_error(notice); });
          },
          // The window thread's calls are never stopped; the worker's are, by its token.
          [this]() -> StopToken * { return dispatcher_.on_window_thread() ? nullptr : &token_; }),
      alive_(std::make_shared<std::atomic<MainCore *>>(this)) {
    sink_.base.post = &MainCore::forward_message;
    sink_.core = this;
    current_handset_folder_ = std::string(records::kPictureFolder);
    download_folder_ = std::string(records::kPictureFolder);
    extension_ = std::string(records::kPictureExtension);
}

MainCore::~MainCore() {
    alive_->store(nullptr);
    if (worker_.joinable()) {
        stop_worker_at_once();
        worker_.join();
    }
}

// --- start-up and teardown ---------------------------------------------------------------------

bool MainCore::initialise(const std::string &module_dir) {
    connection_state_update(false, true);
    values_.module_dir = module_dir;
    std::string why;
    const bool loaded = binding_.load(module_dir, &why);
    if (!loaded) {
        show_error(MessageId::LibraryLoadFailed);
    }
    // The rest of the start-up runs even without the library, so that the window can be used
    // for browsing and converting; every device call then fails.
    file_type_changed(0);
    values_.com_port.store(profile_.com_port());
    for (const auto &[port, device] : profile_.port_devices()) {
        binding_.set_port_device(port, device);
    }
    capacity_ = 0;
    free_space_ = 0;
    connection_state_update(false, true);
    if (loaded) {
        binding_.register_handler(&sink_.base, kForwardMessageId);
    }
    return loaded;
}

void MainCore::teardown() {
    if (worker_recorded_.load()) {
        sent_file_.close();
        stop_worker_at_once();
    }
    run_disconnect(false);
    if (worker_.joinable()) {
        // Whatever the worker still wanted from the window thread is given up: it ends now.
        stop_worker_at_once();
        worker_.join();
    }
    binding_.register_handler(nullptr, 0);
    binding_.unload();
    receiver_ = BlockReceiver{};
}

void MainCore::forward_message(HlWindow *self, uint32_t, uintptr_t wparam, intptr_t lparam) {
    // Called on the library's device worker: copy the record now, it is overwritten later.
    auto *sink = reinterpret_cast<MessageSink *>(self);
    const auto *record = reinterpret_cast<const uint8_t *>(wparam);
    if (lparam == HL_LINE_LOST) {
        std::shared_ptr<std::atomic<MainCore *>> alive = sink->core->alive_;
        sink->core->dispatcher_.post([alive] {
            if (MainCore *core = alive->load()) {
                core->on_line_lost();
            }
        });
        return;
    }
    if (record == nullptr) {
        return;
    }
    const size_t length = zemlo::read_le16(record + kRecordLengthOffset);
    const size_t n = std::min(kRecordHeadBytes + length, kForwardedRecordBytes);
    std::vector<uint8_t> copy(record, record + n);
    std::shared_ptr<std::atomic<MainCore *>> alive = sink->core->alive_;
    sink->core->dispatcher_.post([alive, copy = std::move(copy)] {
        if (MainCore *core = alive->load()) {
            core->handset_message(copy);
        }
    });
}

// --- the operation worker ----------------------------------------------------------------------

bool MainCore::start_operation(Operation op) {
    if (busy_.load()) {
        // One operation at a time; a command given meanwhile is not started.
        return false;
    }
    if (worker_alive_.load() && !window_released_.load()) {
        // The operation before was ended by a handset event but its thread has not finished: it
        // may still be inside the library or about to ask the window thread for something, so
        // the window thread must not wait for it. The command starts once it has ended.
        deferred_.store(static_cast<int32_t>(op));
        return true;
    }
    if (worker_.joinable()) {
        worker_.join();  // it has finished everything; only its return is left
    }
    token_.reset();
    pending_.store(static_cast<int32_t>(op));
    busy_.store(true);
    worker_recorded_.store(op != Operation::Disconnect);
    window_released_.store(false);
    worker_alive_.store(true);
    worker_ = std::thread(&MainCore::worker_procedure, this);
    return true;
}

void MainCore::worker_ended() {
    if (deferred_.load() == 0 || worker_alive_.load() || busy_.load()) {
        return;
    }
    const auto op = static_cast<Operation>(deferred_.exchange(0));
    start_operation(op);
}

void MainCore::worker_procedure() {
    // Stopped at once by a handset event or teardown, the operation runs through without effect
    // (every device call, wait and window call returns at once) and none of its ending runs.
    const auto op = static_cast<Operation>(pending_.load());
    outcome_ = Outcome{op};
    listing_follows_ = false;
    values_.cancel.store(false);
    set_busy(true);
    connection_state_update_from_worker(false, false);
    run_operation(op);
    if (values_.cancel.load() && !token_.stopped()) {
        if (values_.connected.load()) {
            run_abort_notice();
        } else {
            on_window([this] { receiver_.stop(); });
            run_disconnect(true);
        }
    }
    // A connect ends with its listing, on the window thread.
    if (!listing_follows_ || values_.cancel.load()) {
        on_window([this] { ui_.operation_ended(outcome_); });
    }
    if (!token_.stopped()) {
        worker_recorded_.store(false);
        pending_.store(0);
        // The buttons are restored before the operation counts as finished, so that once busy
        // clears the worker needs nothing more from the window thread and can be joined there.
        const bool connected = values_.connected.load();
        if (on_window([&] { connection_state_update(connected, true); })) {
            window_released_.store(true);
            set_busy(false);
        }
    }
    // The last thing the thread does: a command deferred meanwhile can start now.
    std::shared_ptr<std::atomic<MainCore *>> alive = alive_;
    {
        std::lock_guard<std::mutex> lock(idle_mutex_);
        worker_alive_.store(false);
    }
    idle_cv_.notify_all();
    dispatcher_.post([alive] {
        if (MainCore *core = alive->load()) {
            core->worker_ended();
        }
    });
}

void MainCore::run_operation(Operation op) {
    switch (op) {
        case Operation::Connect:
            run_connect();
            break;
        case Operation::Download:
            run_download();
            break;
        case Operation::Rename:
            run_rename();
            break;
        case Operation::Delete:
            run_delete();
            break;
        case Operation::Disconnect:
            run_disconnect(true);
            break;
        case Operation::Format:
            run_format();
            break;
        case Operation::None:
            break;
    }
}

bool MainCore::on_window(const std::function<void()> &fn) {
    if (dispatcher_.on_window_thread()) {
        fn();
        return true;
    }
    if (token_.stopped()) {
        return false;
    }
    auto call = std::make_shared<WindowCall>();
    call->fn = &fn;
    {
        std::lock_guard<std::mutex> lock(call_mutex_);
        current_call_ = call;
    }
    dispatcher_.post([call] {
        {
            std::lock_guard<std::mutex> lock(call->mutex);
            if (call->state == WindowCall::State::Abandoned) {
                return;
            }
            call->state = WindowCall::State::Running;
        }
        (*call->fn)();
        {
            std::lock_guard<std::mutex> lock(call->mutex);
            call->state = WindowCall::State::Done;
        }
        call->cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(call->mutex);
    call->cv.wait(lock, [&] {
        return call->state == WindowCall::State::Done ||
               (call->state == WindowCall::State::Pending && token_.stopped());
    });
    const bool given_up = call->state == WindowCall::State::Pending;
    if (given_up) {
        call->state = WindowCall::State::Abandoned;
    }
    lock.unlock();
    {
        std::lock_guard<std::mutex> guard(call_mutex_);
        current_call_.reset();
    }
    return !token_.stopped();
}

void MainCore::stop_worker_at_once() {
    token_.stop();
    std::shared_ptr<WindowCall> call;
    {
        std::lock_guard<std::mutex> lock(call_mutex_);
        call = current_call_;
    }
    if (call) {
        std::lock_guard<std::mutex> lock(call->mutex);
        call->cv.notify_all();
    }
}

void MainCore::set_busy(bool busy) {
    {
        std::lock_guard<std::mutex> lock(idle_mutex_);
        busy_.store(busy);
    }
    idle_cv_.notify_all();
}

void MainCore::wait_until_idle() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(idle_mutex_);
            idle_cv_.wait(lock, [this] { return !busy_.load() && !worker_alive_.load(); });
        }
        // Let the window thread finish what the operation queued for it, the thread's end notice
        // among it, which starts a command deferred meanwhile.
        dispatcher_.invoke([] {});
        if (!busy_.load() && deferred_.load() == 0) {
            return;
        }
    }
}

// --- the store operations: what they read of the window's state and what they change in it ----

void MainCore::run_download() {
    DownloadRequest request;
    on_window([&] {
        request = {file_type_, selected_pc_file_, download_name_, extension_, download_folder_};
    });
    const int32_t type = request.type;
    download_to_handset(
        context_, request, sent_file_,
        {[this, type](const std::string &entry_key) {
             const size_t limit =
                 type == kTypePicture ? records::kMaxPictures : records::kMaxMelodies;
             return static_cast<size_t>(table_.count(type)) >= limit &&
                    table_.find(entry_key, type, false, nullptr) == -1;
         },
         [this, type](const std::string &out, const std::string &source) {
             return type == kTypePicture ? media_.convert_picture(out, source)
                                         : media_.convert_melody(out, source);
         },
         [this, type](const std::string &entry_key, int64_t length) {
             return table_.room(entry_key, type, length, free_space_);
         },
         [this] { connection_state_update(false, true); }, [this] { clear_handset_files(); },
         [this, &request](int64_t length) {
             const std::string text = listing::entry_text(request.name + request.extension,
                                                          static_cast<uint64_t>(length));
             if (table_.find(text, request.type, true, &free_space_) == -1) {
                 table_.append({request.type, text});
             }
             free_space_ -=
                 static_cast<int64_t>(records::allocation_size(static_cast<uint64_t>(length)));
             ui_.set_space(capacity_, free_space_);
             ui_.focus_handset_tree();
             rows_.clear();
             ui_.show_handset_rows(rows_);
             refill_handset_list();
         },
         [this] { reread_listing(); }});
}

void MainCore::run_rename() {
    RenameRequest request;
    int32_t row = -1;
    on_window([&] {
        request = {current_handset_folder_, rename_old_, rename_new_};
        row = selected_row_;
    });
    rename_on_handset(context_, request, [&](bool renamed) {
        set_row_text(row, renamed ? request.new_name : request.old_name);
        if (!renamed) {
            return;
        }
        if (const HandsetEntry *entry = table_.at(selected_entry_)) {
            const size_t caret = entry->text.find(listing::kSizeMark);
            const std::string size =
                caret == std::string::npos ? std::string() : entry->text.substr(caret + 1);
            table_.set_text(selected_entry_, request.new_name + listing::kSizeMark + size);
        }
    });
}

void MainCore::run_delete() {
    DeleteRequest request;
    on_window([&] {
        request.folder = current_handset_folder_;
        if (selected_row_ >= 0 && static_cast<size_t>(selected_row_) < rows_.size()) {
            request.name = rows_[static_cast<size_t>(selected_row_)].name;
        }
    });
    delete_on_handset(context_, request, [this] {
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
}

void MainCore::run_format() {
    format_handset(
        context_, {values_.connected.load(), restart_wait_},
        [this] { connection_state_update(false, false); },
        [this] {
            clear_handset_files();
            connection_state_update(false, true);
        });
}

// --- reports and the connection state -----------------------------------------------------------

void MainCore::show_report(const Report &report) {
    if (report.level != ReportLevel::Progress) {
        ui_.set_status_line(report.text());
    }
    // The wait window ignores reports once the user or the handset has cancelled.
    if (!values_.cancel.load()) {
        ui_.operation_report(report);
    }
}

void MainCore::show_error(MessageId id) {
    ui_.show_error({{id}, ErrorSource::Window, std::nullopt});
}

BoxAnswer MainCore::ask(const QuestionAsked &question) {
    BoxAnswer answer = BoxAnswer::Cancel;
    on_window([&] { answer = ui_.ask(question); });
    return answer;
}

void MainCore::connection_state_update(bool connected, bool enable) {
    ui_.set_buttons(button_states(connected, enable));
    if (!enable) {
        return;
    }
    ui_.set_connection_text(connection_text(values_.com_port.load(), connected), connected);
    values_.connected.store(connected);
    if (!connected) {
        capacity_ = 0;
        free_space_ = 0;
    }
    ui_.set_space(capacity_, free_space_);
}

void MainCore::connection_state_update_from_worker(bool connected, bool enable) {
    on_window([&] { connection_state_update(connected, enable); });
}

// --- the handset list ----------------------------------------------------------------------------

void MainCore::refill_handset_list() {
    rows_ = table_.rows(ui_.handset_folder() == kTypePicture ? kTypePicture : kTypeMelody);
    ui_.show_handset_rows(rows_);
}

void MainCore::clear_handset_files() {
    table_.clear();
    rows_.clear();
    ui_.show_handset_rows(rows_);
    ui_.focus_handset_tree();
    refill_handset_list();
}

void MainCore::set_row_text(int32_t row, const std::string &text) {
    if (row >= 0 && static_cast<size_t>(row) < rows_.size()) {
        rows_[static_cast<size_t>(row)].name = text;
        ui_.set_handset_row_text(row, text);
    }
}

bool MainCore::check_name(const std::string &name) {
    const NameCheck check = check_file_name(name);
    if (check.valid) {
        return true;
    }
    ui_.set_download_name_box(check.corrected);
    show_error(check.problem);
    return false;
}

// --- commands ------------------------------------------------------------------------------------

void MainCore::connect_command() {
    start_operation(Operation::Connect);
}

void MainCore::disconnect_command() {
    start_operation(Operation::Disconnect);
}

void MainCore::download_command() {
    if (selected_pc_file_.empty()) {
        show_error(MessageId::ChooseFile);
        return;
    }
    if (download_name_.empty()) {
        show_error(MessageId::EnterName);
        return;
    }
    if (ui_.ask({Question::ConfirmDownload, selected_pc_file_, download_name_ + extension_}) ==
        BoxAnswer::Ok) {
        start_operation(Operation::Download);
    }
}

bool MainCore::select_row(int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) {
        return false;
    }
    selected_row_ = row;
    selected_entry_ = rows_[static_cast<size_t>(row)].entry_index;
    return true;
}

bool MainCore::take_selected_handset_row() {
    ui_.focus_handset_list();
    return select_row(ui_.selected_handset_row());
}

void MainCore::rename_command() {
    if (!take_selected_handset_row()) {
        return;
    }
    const int32_t row = selected_row_;
    pending_.store(static_cast<int32_t>(Operation::Rename));
    const std::string &name = rows_[static_cast<size_t>(row)].name;
    ui_.edit_handset_row(row, name.size() > kExtensionChars
                                  ? name.substr(0, name.size() - kExtensionChars)
                                  : std::string());
}

void MainCore::rename_edit_begin(int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) {
        return;
    }
    rename_old_ = rows_[static_cast<size_t>(row)].name;
    rename_extension_ = rename_old_.size() >= kExtensionChars
                            ? rename_old_.substr(rename_old_.size() - kExtensionChars)
                            : rename_old_;
}

void MainCore::rename_edit_end(int32_t row, const std::optional<std::string> &text) {
    if (pending() != Operation::Rename || busy_.load()) {
        return;
    }
    if (!text || text->empty()) {
        return;
    }
    std::string name = *text;
    set_row_text(row, name);
    // The rename's own check: the download-name box is the user's and stays as typed (writing
    // the corrected rename into it would run its check again and show a second box).
    const NameCheck check = check_file_name(name);
    if (!check.valid) {
        show_error(check.problem);
        set_row_text(row, rename_old_);
        return;
    }
    rename_new_ = name + rename_extension_;
    if (ui_.ask({Question::ConfirmRename, rename_old_, rename_new_}) == BoxAnswer::Ok) {
        start_operation(Operation::Rename);
    } else {
        set_row_text(row, rename_old_);
    }
}

void MainCore::delete_command() {
    if (!take_selected_handset_row()) {
        return;
    }
    if (ui_.ask({Question::ConfirmDelete, rows_[static_cast<size_t>(selected_row_)].name, {}}) ==
        BoxAnswer::Ok) {
        start_operation(Operation::Delete);
    }
}

bool MainCore::refuse_while_busy() {
    if (!busy_.load()) {
        return false;
    }
    show_error(MessageId::Busy);
    return true;
}

void MainCore::format_command() {
    // Refused before the question: a confirmed format that then does nothing would mislead.
    if (refuse_while_busy()) {
        return;
    }
    if (ui_.ask({Question::ConfirmFormat, {}, {}}) == BoxAnswer::Ok) {
        start_operation(Operation::Format);
    }
}

// --- requests already confirmed ------------------------------------------------------------------

bool MainCore::download_file(int32_t file_type, const std::string &source,
                             const std::string &name) {
    // While an operation runs the state it reads must not change under it.
    if (busy_.load()) {
        return false;
    }
    if (source.empty()) {
        show_error(MessageId::ChooseFile);
        return false;
    }
    if (name.empty()) {
        show_error(MessageId::EnterName);
        return false;
    }
    if (const NameCheck check = check_file_name(name); !check.valid) {
        show_error(check.problem);
        return false;
    }
    file_type_ = file_type;
    extension_ = std::string(file_type == kTypeMelody ? records::kMelodyExtension
                                                      : records::kPictureExtension);
    download_folder_ =
        std::string(file_type == kTypePicture ? records::kPictureFolder : records::kMelodyFolder);
    selected_pc_file_ = source;
    download_name_ = name;
    return start_operation(Operation::Download);
}

bool MainCore::rename_file(int32_t row, const std::string &new_name) {
    if (busy_.load() || new_name.empty() || !select_row(row)) {
        return false;
    }
    if (const NameCheck check = check_file_name(new_name); !check.valid) {
        show_error(check.problem);
        return false;
    }
    rename_edit_begin(row);
    rename_new_ = new_name + rename_extension_;
    return start_operation(Operation::Rename);
}

bool MainCore::delete_file(int32_t row) {
    if (busy_.load() || !select_row(row)) {
        return false;
    }
    return start_operation(Operation::Delete);
}

bool MainCore::format_store() {
    if (refuse_while_busy()) {
        return false;
    }
    return start_operation(Operation::Format);
}

// --- selections ----------------------------------------------------------------------------------

void MainCore::file_type_changed(int32_t file_type) {
    file_type_ = file_type;
    if (!current_pc_folder_.empty()) {
        selected_pc_file_.clear();
        ui_.set_pc_file_label("");
        pc_folder_selected(current_pc_folder_);
    }
    extension_ = std::string(file_type == kTypeMelody ? records::kMelodyExtension
                                                      : records::kPictureExtension);
    ui_.set_extension_label(extension_);
    download_folder_ =
        std::string(file_type == kTypePicture ? records::kPictureFolder : records::kMelodyFolder);
    ui_.show_panel(file_type);
}

void MainCore::download_name_changed(const std::string &text) {
    download_name_ = text;
    check_name(text);
}

void MainCore::pc_folder_selected(const std::string &folder) {
    namespace fs = std::filesystem;
    current_pc_folder_ = folder;
    if (!current_pc_folder_.empty() && current_pc_folder_.back() != '/') {
        current_pc_folder_ += '/';
    }
    std::vector<PcFileRow> rows;
    std::error_code ec;
    for (fs::directory_iterator it(current_pc_folder_, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Plain files only: a pipe or a device under a picture or MIDI name would block the
        // panel that opens it, or never end.
        std::error_code type_ec;
        if (!it->is_regular_file(type_ec) || !is_listed_for_type(name, file_type_)) {
            continue;
        }
        std::error_code size_ec;
        const uintmax_t size = it->file_size(size_ec);
        // Each kept file goes in as the first row, as the list has always shown them.
        rows.insert(rows.begin(), PcFileRow{name, size_ec ? 0 : static_cast<uint64_t>(size)});
    }
    ui_.show_pc_files(rows);
}

void MainCore::clear_pc_file_choice() {
    selected_pc_file_.clear();
    ui_.set_pc_file_label("");
}

void MainCore::pc_file_chosen(const std::string &name) {
    ui_.set_pc_file_label(name);
    selected_pc_file_ = current_pc_folder_ + name;
    connection_state_update(false, false);
    if (file_type_ == kTypeMelody) {
        media_.set_melody_source(selected_pc_file_);
    } else if (file_type_ == kTypePicture) {
        media_.show_picture(selected_pc_file_);
    }
    const bool idle = !busy_.load();
    connection_state_update(values_.connected.load() && idle, idle);
}

void MainCore::handset_row_chosen(int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) {
        return;
    }
    const std::string &name = rows_[static_cast<size_t>(row)].name;
    download_name_ = name;
    const size_t dot = name.find('.');
    ui_.set_download_name_box(dot == std::string::npos ? std::string() : name.substr(0, dot));
}

void MainCore::handset_folder_selected(int32_t folder_type) {
    current_handset_folder_ =
        std::string(folder_type == kTypePicture ? records::kPictureFolder : records::kMelodyFolder);
    rows_.clear();
    ui_.show_handset_rows(rows_);
    refill_handset_list();
}

std::string MainCore::port_device(uint32_t port) const {
    const auto mapping = profile_.port_devices();
    const auto it = mapping.find(port);
    return com_device(port, it == mapping.end() ? std::nullopt : std::optional(it->second));
}

void MainCore::settings_command() {
    // A port change under a running operation would pull the line from under it.
    if (refuse_while_busy()) {
        return;
    }
    const uint32_t current = values_.com_port.load();
    const std::string device_before = port_device(current);
    const std::optional<uint32_t> chosen = ui_.choose_port(current);
    if (!chosen) {
        return;
    }
    // The number, or the device behind the same number (the mapping, or the environment's when
    // the mapping is removed): either way the handset on the line is no longer the one that had
    // the handshake, so the connection ends.
    if (*chosen == current && port_device(current) == device_before) {
        return;
    }
    values_.com_port.store(*chosen);
    profile_.set_com_port(*chosen);
    binding_.forget_port();
    if (values_.connected.load()) {
        clear_handset_files();
    }
    connection_state_update(false, true);
}

void MainCore::help_command() {
    namespace fs = std::filesystem;
    // Beside the program in a build tree; in the data folder when installed.
    const fs::path beside = fs::path(values_.module_dir) / kHelpFile;
    const fs::path installed = fs::path(values_.module_dir) / ".." / "share" / "zemlo" / kHelpFile;
    std::error_code ec;
    ui_.open_help((fs::exists(beside, ec) || !fs::exists(installed, ec) ? beside : installed)
                      .lexically_normal()
                      .string());
}

void MainCore::about_command() {
    ui_.show_about();
}

void MainCore::wait_cancel() {
    values_.cancel.store(true);
    connection_state_update(values_.connected.load(), true);
}

}  // namespace zemlo::app
