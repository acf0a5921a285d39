#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace zemlo::shell {

// The wait window's animation. Stopped it shows nothing; running it shows the next frame every
// 300 ms, cycling through the twenty frames.
class FrameAnimationStatic : public QWidget {
    Q_OBJECT
  public:
    explicit FrameAnimationStatic(QWidget *parent = nullptr);

    // (Re)starts the timer; the first tick shows the first frame.
    void start();
    // Back to frame 0, nothing shown, timer stopped.
    void stop();
    // One timer tick.
    void tick();

    bool running() const { return timer_.isActive(); }
    bool has_frame() const { return has_frame_; }
    int frame_index() const { return index_; }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QTimer timer_;
    QPixmap frame_;
    bool has_frame_ = false;
    int index_ = 0;
};

}  // namespace zemlo::shell
