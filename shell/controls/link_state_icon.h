#pragma once

#include <QLabel>
#include <QPixmap>

#include <atomic>
#include <functional>

namespace zemlo::shell {

// The connection state as one of two icons at the label's top-left corner. The label's text
// (set by the window, "   COM3已连接") stays its text but is not drawn; the icon is chosen from
// the program-wide connected flag each time the label paints.
class LinkStateIcon : public QLabel {
    Q_OBJECT
  public:
    explicit LinkStateIcon(QWidget *parent = nullptr);

    void set_connected_source(std::function<bool()> connected);
    // Reads the flag the core keeps; the flag must outlive the label.
    void set_connected_flag(const std::atomic<bool> *flag);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    std::function<bool()> connected_;
    QPixmap disconnected_icon_;
    QPixmap connected_icon_;
};

}  // namespace zemlo::shell
