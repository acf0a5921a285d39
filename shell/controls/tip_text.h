#pragma once

#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <QStringList>

namespace zemlo::shell {

// A tip holds at most this many bytes of UTF-8 text; a longer one is cut at a character
// boundary.
inline constexpr int kTipTextMaxBytes = 1023;
// The tip window is this much larger than its text in each direction.
inline constexpr int kTipPadding = 4;

QString bounded_tip_text(const QString &text);

// Lines of the text, split at line feeds.
QStringList tip_lines(const QString &text);

// The text's extent: one line is measured as it stands; several lines are as tall as one line
// times their count and as wide as the widest.
QSize tip_text_extent(const QFontMetrics &metrics, const QString &text);

}  // namespace zemlo::shell

namespace zemlo::shell {

enum class TipStep { None, Show, Hide };

// One poll of the tip: it may show while the left button is held with the pointer on its
// control, and only while the keyboard focus is in the control's window.
TipStep tip_poll_step(bool visible, bool pointer_on_control, bool left_down, bool focus_in_window);

}  // namespace zemlo::shell
