// The wait window "请稍候....": the text of the running operation, its progress bar, the
// animation and "取消". It shows what the wait-window model makes of each status report; Enter
// and Escape do nothing in it, and it has no close button.
#pragma once

#include <QDialog>
#include <functional>

#include "message_boxes.h"
#include "wait_window_model.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace zemlo::shell {

class FrameAnimationStatic;
struct BaseUnits;

class WaitWindow : public QDialog {
    Q_OBJECT
  public:
    WaitWindow(const BaseUnits &base, BoxAnswerer *answerer);

    // One status report; returns once any message box it opens has been closed.
    void report(const app::Report &report, bool cancel_flag);
    // Hides and stops the window without cancelling anything: no operation is left for it.
    void dismiss();
    // Called after Cancel has hidden the window and stopped it.
    void set_cancel_handler(std::function<void()> handler) { on_cancel_ = std::move(handler); }

    const app::WaitWindowView &view() const { return model_.view(); }
    QPushButton *cancel_button() const { return cancel_; }
    QProgressBar *progress_bar() const { return progress_; }
    QLabel *text_label() const { return text_; }
    FrameAnimationStatic *animation() const { return animation_; }

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void cancel_clicked();
    void sync();

    app::WaitWindowModel model_;
    BoxAnswerer *answerer_;
    FrameAnimationStatic *animation_;
    QLabel *text_;
    QProgressBar *progress_;
    QPushButton *cancel_;
    std::function<void()> on_cancel_;
};

}  // namespace zemlo::shell
