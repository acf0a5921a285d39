#pragma once

#include <QIcon>
#include <QLabel>

#include <atomic>
#include <functional>

namespace zemlo::shell {

// The connection state as one of two icons at the label's left, centred in its height. The
// label's text (set by the window, "   COM3已连接") stays its text but is not drawn; the icon is
// chosen from the program-wide connected flag each time the label paints. On a label lower than
// the icon (a small font for a small screen) the icon is drawn smaller, never cut off.
class LinkStateIcon : public QLabel {
    Q_OBJECT
  public:
    explicit LinkStateIcon(QWidget *parent = nullptr);

    void set_connected_source(std::function<bool()> connected);
    // Reads the flag the core keeps; the flag must outlive the label.
    void set_connected_flag(const std::atomic<bool> *flag);
    // Where the icon is drawn (inside the frame, at most its own size).
    QRect icon_rect() const;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    std::function<bool()> connected_;
    QIcon disconnected_icon_;
    QIcon connected_icon_;
    QSize natural_;
};

}  // namespace zemlo::shell
