// A window for the core's tests: it records every call as one line, keeps what a user would see,
// and answers message boxes from a script.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "front_end.h"
#include "main_core.h"
#include "media_port.h"
#include "messages.h"
#include "wait_window_model.h"
#include "window_port.h"

namespace zemlo::app::testing {

class RecordingUi : public FrontEnd, public WindowPort, public MediaPort {
  public:
    void attach(MainCore *core) { core_ = core; }

    // --- FrontEnd: questions and errors become boxes with their texts, reports their texts ---
    BoxAnswer ask(const QuestionAsked &asked) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            questions_.push_back(asked);
        }
        return message_box({question_text(asked), render(MessageId::CaptionConfirm),
                            BoxIcon::Question, BoxButtons::OkCancel});
    }
    void show_error(const ErrorNotice &notice) override {
        message_box({render(notice.message), render(error_caption(notice.source))});
    }
    void operation_report(const Report &r) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            progress_.push_back(r.progress);
        }
        wait_report(r.text(), static_cast<int32_t>(r.level), r.range);
    }
    void show_summary(const std::string &text) override {
        message_box({text, render(MessageId::CaptionConfirm), BoxIcon::Information});
    }
    void operation_ended(const Outcome &outcome) override {
        std::lock_guard<std::mutex> lock(mutex_);
        outcomes_.push_back(outcome);
        cv_.notify_all();
    }

    virtual BoxAnswer message_box(const MessageBoxDetails &box) {
        const char *icon = box.icon == BoxIcon::Error         ? "error"
                           : box.icon == BoxIcon::Information ? "info"
                                                              : "question";
        BoxAnswer answer = BoxAnswer::Ok;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (box.buttons == BoxButtons::OkCancel && !answers_.empty()) {
                answer = answers_.front();
                answers_.pop_front();
            }
        }
        record(std::string("box ") + box.caption + " " + icon + " " + box.text +
               (box.buttons == BoxButtons::OkCancel
                    ? (answer == BoxAnswer::Ok ? " -> ok" : " -> cancel")
                    : ""));
        return answer;
    }
    virtual void wait_report(const std::string &text, int32_t level, uint16_t range) {
        WaitWindowModel::Box box;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            box = wait_.report(text, level, range, false);
        }
        record("report " + std::to_string(level) + " " + std::to_string(range) + " " + text);
        if (on_report_) {
            on_report_(text);  // runs before the worker goes on, so a test can time a fault
        }
        if (box == WaitWindowModel::Box::Error) {
            record("box 确认 error " + text);
        } else if (box == WaitWindowModel::Box::Information) {
            record("box 确认 info " + text);
        }
    }
    // --- WindowPort: every call one line ---
    void set_status_line(const std::string &text) override { record("status " + text); }
    void set_buttons(const ButtonStates &b) override {
        std::string s = "buttons ";
        for (bool on : {b.connect, b.download, b.rename, b.remove, b.disconnect}) {
            s += on ? '1' : '0';
        }
        record(s);
    }
    void set_connection_text(const std::string &text, bool) override { record("link " + text); }
    void set_space(int64_t capacity, int64_t free_space) override {
        record("space " + std::to_string(capacity) + " " + std::to_string(free_space));
    }
    void focus_handset_tree() override {}
    void focus_handset_list() override {}
    void show_handset_rows(const std::vector<HandsetRow> &rows) override {
        std::string s = "rows";
        for (const auto &r : rows) {
            s += " " + r.name + ":" + r.size;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        rows_ = rows;
        log_.push_back(s);
        cv_.notify_all();
    }
    int32_t selected_handset_row() override { return selected_row_; }
    void set_handset_row_text(int32_t row, const std::string &text) override {
        record("row " + std::to_string(row) + " " + text);
    }
    void edit_handset_row(int32_t row, const std::string &text) override {
        record("edit " + std::to_string(row) + " " + text);
    }
    void set_download_name_box(const std::string &text) override {
        record("name " + text);
        if (core_ != nullptr) {
            core_->download_name_changed(text);  // as the edit box's change signal would
        }
    }
    void set_extension_label(const std::string &text) override { record("ext " + text); }
    void set_pc_file_label(const std::string &text) override { record("pcfile " + text); }
    void show_pc_files(const std::vector<PcFileRow> &rows) override {
        std::string s = "pcfiles";
        for (const auto &r : rows) {
            s += " " + r.name;
        }
        record(s);
    }
    void show_panel(FileType type) override {
        record("panel " + std::to_string(static_cast<int32_t>(type)));
    }
    void open_help(const std::string &path) override { record("help " + path); }
    void show_about() override { record("about"); }
    std::optional<uint32_t> choose_port(uint32_t current) override {
        record("choose port " + std::to_string(current));
        if (on_choose_port_) {
            on_choose_port_();  // what the dialog stores (a device mapping) before it closes
        }
        return chosen_port_;
    }

    // --- MediaPort: conversions write prepared bytes, so a test sets exact sizes ---
    void show_picture(const std::string &path) override { record("picture " + path); }
    void set_melody_source(const std::string &path) override { record("melody " + path); }
    ConversionChoice conversion_choice(FileType, const std::string &) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return choice_;
    }
    bool convert_picture(const std::string &out, const std::string &source,
                         const media::PictureChoice &choice) override {
        record_conversion(source, choice, false);
        return write_converted(out, source);
    }
    bool convert_melody(const std::string &out, const std::string &source, bool fit) override {
        record_conversion(source, {}, fit);
        return write_converted(out, source);
    }

    // --- the test's side ---
    void answer(std::initializer_list<BoxAnswer> answers) {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_.assign(answers.begin(), answers.end());
    }
    void set_converted(std::vector<uint8_t> bytes, bool ok = true) {
        std::lock_guard<std::mutex> lock(mutex_);
        converted_ = std::move(bytes);
        convert_ok_ = ok;
    }
    // What the file of this name (without its folder) converts to, whatever set_converted says.
    void set_converted_for(const std::string &file_name, std::vector<uint8_t> bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        converted_for_[file_name] = std::move(bytes);
    }
    void set_choice(const ConversionChoice &choice) {
        std::lock_guard<std::mutex> lock(mutex_);
        choice_ = choice;
    }
    // What each conversion was asked for: the source and the choice it was given.
    std::vector<std::pair<std::string, ConversionChoice>> conversions() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return conversions_;
    }
    void on_report(std::function<void(const std::string &)> fn) { on_report_ = std::move(fn); }
    void set_selected_row(int32_t row) { selected_row_ = row; }
    void set_chosen_port(std::optional<uint32_t> port, std::function<void()> on_choose = {}) {
        chosen_port_ = port;
        on_choose_port_ = std::move(on_choose);
    }

    std::vector<std::string> log() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }
    std::vector<HandsetRow> rows() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return rows_;
    }
    void clear_log() {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.clear();
    }
    bool saw(const std::string &line) const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto &l : log_) {
            if (l == line) {
                return true;
            }
        }
        return false;
    }
    // Waits until a line equal to `line` has been recorded.
    bool wait_for(const std::string &line,
                  std::chrono::milliseconds timeout = std::chrono::seconds(15)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, timeout, [&] {
            for (const auto &l : log_) {
                if (l == line) {
                    return true;
                }
            }
            return false;
        });
    }
    // The lines that start with prefix, in order.
    std::vector<std::string> lines(const std::string &prefix) const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> out;
        for (const auto &l : log_) {
            if (l.rfind(prefix, 0) == 0) {
                out.push_back(l);
            }
        }
        return out;
    }
    std::vector<Outcome> outcomes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return outcomes_;
    }
    std::vector<QuestionAsked> questions() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return questions_;
    }
    std::vector<Progress> progress() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return progress_;
    }
    WaitWindowView wait_view() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return wait_.view();
    }

  private:
    void record(const std::string &line) {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back(line);
        cv_.notify_all();
    }
    void record_conversion(const std::string &source, const media::PictureChoice &picture,
                           bool fit) {
        std::lock_guard<std::mutex> lock(mutex_);
        conversions_.push_back({source, {picture, fit}});
    }
    bool write_converted(const std::string &out, const std::string &source) {
        std::vector<uint8_t> bytes;
        bool ok;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto own = converted_for_.find(std::filesystem::path(source).filename().string());
            bytes = own != converted_for_.end() ? own->second : converted_;
            ok = convert_ok_;
        }
        if (!ok) {
            return false;
        }
        std::ofstream f(out, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char *>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(f);
    }

    MainCore *core_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::string> log_;
    std::vector<HandsetRow> rows_;
    std::vector<Outcome> outcomes_;
    std::vector<QuestionAsked> questions_;
    std::vector<Progress> progress_;
    std::deque<BoxAnswer> answers_;
    std::vector<uint8_t> converted_;
    std::map<std::string, std::vector<uint8_t>> converted_for_;
    ConversionChoice choice_;
    std::vector<std::pair<std::string, ConversionChoice>> conversions_;
    bool convert_ok_ = true;
    WaitWindowModel wait_;
    int32_t selected_row_ = -1;
    std::optional<uint32_t> chosen_port_;
    std::function<void()> on_choose_port_;
    std::function<void(const std::string &)> on_report_;
};

}  // namespace zemlo::app::testing
