#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace zemlo::shell {

// What the tip polls: where the pointer is, whether the left button is down, and which widget
// has the keyboard focus.
struct PointerState {
    QPoint global_pos;
    bool left_down = false;
    const QWidget *focus_widget = nullptr;
};
using PointerProbe = std::function<PointerState()>;

// A small pop-up text over the top-left corner of its control, shown only while the left mouse
// button is held on the control. It polls the pointer every 100 ms rather than watching the
// control's events, so it needs nothing from the control.
class ControlToolTip : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kPollMs = 100;

    explicit ControlToolTip(QWidget *control, const QString &text = {});
    ~ControlToolTip() override;

    void set_text(const QString &text);
    QString text() const { return text_; }

    // Replaces the real pointer and focus, for tests.
    void set_pointer_probe(PointerProbe probe) { probe_ = std::move(probe); }
    // One poll, as the timer does it.
    void poll();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void place_and_show();
    QFont tip_font() const;

    QPointer<QWidget> control_;
    QString text_;
    QTimer timer_;
    PointerProbe probe_;
};

}  // namespace zemlo::shell
