#pragma once

#include "artwork.h"
#include "button_hover.h"

#include <QColor>
#include <QIcon>
#include <QPushButton>
#include <QSize>

namespace zemlo::shell {

// A flat push button with an icon and its caption that raises a thin frame while the pointer is
// over it and sinks it while pressed. It paints itself completely; a dotted focus rectangle inside
// the face shows that it has the keyboard focus when the user came to it with the keyboard. Space
// and Enter press it, as they do a native push button.
class IconButton : public QPushButton {
    Q_OBJECT
  public:
    explicit IconButton(const QString &caption = {}, QWidget *parent = nullptr);

    // One icon of the program's artwork for every look, drawn pixels square. Repaints at once.
    void set_icon(Icon icon, int pixels);
    // The same with icons already loaded (a null normal icon: the same as the over icon).
    void set_icon_images(const QIcon &over, const QIcon &normal, QSize size);

    bool mouse_over() const { return hover_.over(); }
    // Whether the focus rectangle is drawn now.
    bool shows_focus_cue() const { return hasFocus() && focus_cue_; }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void apply(const HoverEffects &fx);
    void paint_into(QPainter &p);

    HoverTracker hover_;
    bool focus_cue_ = false;
    QIcon over_icon_;
    QIcon normal_icon_;
    QSize icon_size_;
    // Taken from the platform when the button is made; not updated on a scheme change.
    QColor inactive_background_;
    QColor active_background_;
    QColor inactive_text_;
    QColor active_text_;
};

}  // namespace zemlo::shell
