#pragma once

#include "edge_rect.h"
#include "shade_math.h"

#include <QColor>
#include <QSlider>

namespace zemlo::shell {

// A horizontal slider whose thumb and channel are drawn in shades of one face colour. It takes
// the keyboard focus; the arrows, Page Up, Page Down, Home and End move it, and each key press
// emits what a short drag does (sliderPressed, sliderMoved, valueChanged, sliderReleased), so
// whoever listens to drags hears the keyboard too.
class ShadedSlider : public QSlider {
    Q_OBJECT
  public:
    explicit ShadedSlider(QWidget *parent = nullptr);

    // Each setter recomputes every shade from the platform colours of the moment. The face and
    // selection colours show at once; the channel colour shows at the next repaint.
    void set_channel_colour(const QColor &c);
    void set_selection_colour(const QColor &c);
    void set_face_colour(const QColor &c);

    const SliderShades &shades() const { return shades_; }
    // Whether the focus rectangle is drawn now.
    bool shows_focus_cue() const { return hasFocus() && focus_cue_; }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

  private:
    void recompute();
    void draw_thumb(QPainter &p, const EdgeRect &t) const;
    void draw_channel(QPainter &p, EdgeRect k) const;

    QColor face_;
    QColor channel_;
    QColor selection_;  // kept for completeness: nothing sets a selection range
    SliderShades shades_;
    int drag_offset_ = 0;
    bool focus_cue_ = false;
};

}  // namespace zemlo::shell
