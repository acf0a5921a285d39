#include "main_core.h"

#include <filesystem>

#include "batch_plan.h"
#include "file_name_rule.h"
#include "help_page.h"

namespace zemlo::app {

MainCore::MainCore(ProgramValues &values, FrontEnd &front_end, MediaPort &media,
                   Dispatcher &dispatcher, Profile &profile, WindowPort *window)
    : values_(values),
      front_(front_end),
      window_(window != nullptr ? *window : no_window()),
      media_(media),
      profile_(profile),
      binding_(
          values, [this](const ErrorNotice &notice) { runner_.link_error(notice); },
          // The window thread's calls are never stopped; the worker's are, by its token.
          [this]() -> StopToken * { return runner_.token_of_caller(); }),
      listing_(window_),
      pc_(window_),
      connection_(window_, values, listing_),
      runner_({values, binding_, dispatcher, front_, window_, media, listing_, inbox_, pc_, rename_,
               connection_, batch_, batch_ledger_}),
      inbox_(dispatcher, binding_, values, *this) {}

MainCore::~MainCore() {
    runner_.stop_and_join();
}

// --- start-up and teardown ---------------------------------------------------------------------

bool MainCore::initialise(const std::string &module_dir) {
    connection_.update(false, true);
    values_.module_dir = module_dir;
    std::string why;
    const bool loaded = binding_.load(module_dir, &why);
    if (!loaded) {
        show_error(MessageId::LibraryLoadFailed);
    }
    // The rest of the start-up runs even without the library, so that the window can be used
    // for browsing and converting; every device call then fails.
    file_type_changed(FileType::Picture);
    values_.com_port.store(profile_.com_port());
    for (const auto &[port, device] : profile_.port_devices()) {
        binding_.set_port_device(port, device);
    }
    listing_.forget_storage();
    connection_.update(false, true);
    if (loaded) {
        binding_.register_handler(inbox_.sink(), kForwardMessageId);
    }
    return loaded;
}

void MainCore::teardown() {
    runner_.tear_down();
    binding_.register_handler(nullptr, 0);
    binding_.unload();
    inbox_.reset();
}

// --- commands ------------------------------------------------------------------------------------

void MainCore::show_error(MessageId id) {
    front_.show_error({{id}, ErrorSource::Window, std::nullopt});
}

bool MainCore::check_name(const std::string &name) {
    const NameCheck check = check_file_name(name);
    if (check.valid) {
        return true;
    }
    window_.set_download_name_box(check.corrected);
    show_error(check.problem);
    return false;
}

void MainCore::download_command() {
    if (pc_.files().size() > 1) {
        download_batch_command();
        return;
    }
    if (const MessageId missing = missing_for_download(pc_.file(), pc_.name());
        missing != MessageId::None) {
        show_error(missing);
        return;
    }
    if (front_.ask({Question::ConfirmDownload, pc_.file(), pc_.target()}) == BoxAnswer::Ok) {
        runner_.start(Operation::Download);
    }
}

void MainCore::download_batch_command() {
    BatchRequest batch;
    std::vector<NamedFile> named;
    for (const std::string &file : pc_.files()) {
        const std::string name = name_from_file(std::filesystem::path(file).stem().string());
        if (name.empty()) {
            front_.show_error(
                {{MessageId::BatchNoName, {file}}, ErrorSource::Window, std::nullopt});
            return;
        }
        batch.files.push_back({pc_.type(), file, name, media_.conversion_choice(pc_.type(), file)});
        named.push_back({pc_.type(), name});
    }
    if (const auto clash = first_clash(named)) {
        const DownloadRequest &second = batch.files[clash->second];
        front_.show_error({{MessageId::BatchNameClash,
                            {batch.files[clash->first].source, second.source,
                             second.name + std::string(file_extension(second.type))}},
                           ErrorSource::Window,
                           std::nullopt});
        return;
    }
    const std::string count = std::to_string(batch.files.size());
    if (front_.ask({Question::ConfirmBatch, count, download_folder()}) != BoxAnswer::Ok) {
        return;
    }
    batch.keep_all = front_.ask({Question::KeepAll, count, {}}) == BoxAnswer::Ok;
    batch_ = std::move(batch);
    if (runner_.start(Operation::DownloadBatch)) {
        // Begun here, before the worker can enter anything: a handset event at any time after
        // finds the batch's files.
        batch_ledger_.begin(batch_);
    }
}

bool MainCore::take_selected_handset_row() {
    window_.focus_handset_list();
    return listing_.select_row(window_.selected_handset_row());
}

void MainCore::rename_command() {
    if (!take_selected_handset_row()) {
        return;
    }
    runner_.set_pending(Operation::Rename);
    window_.edit_handset_row(listing_.selected_row(),
                             RenameEdit::stem_of(listing_.selected_name()));
}

void MainCore::rename_edit_begin(int32_t row) {
    if (row >= 0 && static_cast<size_t>(row) < listing_.rows().size()) {
        rename_.begin(listing_.rows()[static_cast<size_t>(row)].name);
    }
}

void MainCore::rename_edit_end(int32_t row, const std::optional<std::string> &text) {
    if (runner_.pending() != Operation::Rename || runner_.busy()) {
        return;
    }
    if (!text || text->empty()) {
        return;
    }
    listing_.set_row_text(row, *text);
    // The rename's own check: the download-name box is the user's and stays as typed (writing
    // the corrected rename into it would run its check again and show a second box).
    const NameCheck check = check_file_name(*text);
    if (!check.valid) {
        show_error(check.problem);
        listing_.set_row_text(row, rename_.old_name);
        return;
    }
    rename_.finish(*text);
    if (front_.ask({Question::ConfirmRename, rename_.old_name, rename_.new_name}) ==
        BoxAnswer::Ok) {
        runner_.start(Operation::Rename);
    } else {
        listing_.set_row_text(row, rename_.old_name);
    }
}

void MainCore::delete_command() {
    if (!take_selected_handset_row()) {
        return;
    }
    if (front_.ask({Question::ConfirmDelete, listing_.selected_name(), {}}) == BoxAnswer::Ok) {
        runner_.start(Operation::Delete);
    }
}

bool MainCore::refuse_while_busy() {
    if (!runner_.busy()) {
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
    if (front_.ask({Question::ConfirmFormat, {}, {}}) == BoxAnswer::Ok) {
        runner_.start(Operation::Format);
    }
}

// --- requests already confirmed ------------------------------------------------------------------

bool MainCore::download_file(FileType type, const std::string &source, const std::string &name) {
    // While an operation runs the state it reads must not change under it.
    if (runner_.busy()) {
        return false;
    }
    const MessageId missing = missing_for_download(source, name);
    const NameCheck check = check_file_name(name);
    if (missing != MessageId::None || !check.valid) {
        show_error(missing != MessageId::None ? missing : check.problem);
        return false;
    }
    pc_.take(type, source, name);
    return runner_.start(Operation::Download);
}

bool MainCore::rename_file(FileType type, const std::string &name, const std::string &new_name) {
    if (runner_.busy() || new_name.empty()) {
        return false;
    }
    handset_folder_selected(type);
    const int32_t row = listing_.row_named(name);
    if (!listing_.select_row(row)) {
        return false;
    }
    if (const NameCheck check = check_file_name(new_name); !check.valid) {
        show_error(check.problem);
        return false;
    }
    rename_edit_begin(row);
    rename_.finish(new_name);
    return runner_.start(Operation::Rename);
}

bool MainCore::delete_file(FileType type, const std::string &name) {
    if (runner_.busy()) {
        return false;
    }
    handset_folder_selected(type);
    if (!listing_.select_row(listing_.row_named(name))) {
        return false;
    }
    return runner_.start(Operation::Delete);
}

bool MainCore::format_store() {
    if (refuse_while_busy()) {
        return false;
    }
    return runner_.start(Operation::Format);
}

// --- selections ----------------------------------------------------------------------------------

void MainCore::download_name_changed(const std::string &text) {
    pc_.set_name(text);
    check_name(text);
}

void MainCore::pc_files_chosen(const std::vector<std::string> &names) {
    if (names.empty()) {
        return;
    }
    // The panels show the first; the download takes them all.
    pc_file_chosen(names.front());
    pc_.choose_files(names);
}

void MainCore::pc_file_chosen(const std::string &name) {
    pc_.choose_file(name);
    connection_.update(false, false);
    if (pc_.type() == FileType::Melody) {
        media_.set_melody_source(pc_.file());
    } else {
        media_.show_picture(pc_.file());
    }
    const bool idle = !runner_.busy();
    connection_.update(values_.connected.load() && idle, idle);
}

void MainCore::handset_row_chosen(int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= listing_.rows().size()) {
        return;
    }
    const std::string &name = listing_.rows()[static_cast<size_t>(row)].name;
    pc_.set_name(name);
    const size_t dot = name.find('.');
    window_.set_download_name_box(dot == std::string::npos ? std::string() : name.substr(0, dot));
}

void MainCore::settings_command() {
    // A port change under a running operation would pull the line from under it.
    if (refuse_while_busy()) {
        return;
    }
    const uint32_t current = values_.com_port.load();
    const std::string device_before = profile_device(profile_, current);
    const std::optional<uint32_t> chosen = window_.choose_port(current);
    if (!chosen) {
        return;
    }
    // The number, or the device behind the same number (the mapping, or the environment's when
    // the mapping is removed): either way the handset on the line is no longer the one that had
    // the handshake, so the connection ends.
    if (*chosen == current && profile_device(profile_, current) == device_before) {
        return;
    }
    values_.com_port.store(*chosen);
    profile_.set_com_port(*chosen);
    binding_.forget_port();
    if (values_.connected.load()) {
        listing_.forget_files();
    }
    connection_.update(false, true);
}

void MainCore::help_command() {
    window_.open_help(help_page_path(values_.module_dir));
}

void MainCore::wait_cancel() {
    values_.cancel.store(true);
    // An operation waiting for the handset (a format's restart and check) sees it at once.
    runner_.wake();
    connection_.update(values_.connected.load(), true);
}

}  // namespace zemlo::app
