#include "tip_text.h"

#include <algorithm>

namespace zemlo::shell {

QString bounded_tip_text(const QString &text) {
    if (text.toUtf8().size() <= kTipTextMaxBytes) {
        return text;
    }
    QString out;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        // Keep surrogate pairs whole.
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString piece = text.mid(i, len);
        bytes += piece.toUtf8().size();
        if (bytes > kTipTextMaxBytes) {
            break;
        }
        out += piece;
        i += len;
    }
    return out;
}

QStringList tip_lines(const QString &text) {
    return text.split(QLatin1Char('\n'));
}

QSize tip_text_extent(const QFontMetrics &metrics, const QString &text) {
    const QStringList lines = tip_lines(text);
    if (lines.size() == 1) {
        return QSize(metrics.horizontalAdvance(text), metrics.height());
    }
    int widest = 0;
    for (const QString &line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return QSize(widest, metrics.height() * static_cast<int>(lines.size()));
}

}  // namespace zemlo::shell

namespace zemlo::shell {

TipStep tip_poll_step(bool visible, bool pointer_on_control, bool left_down, bool focus_in_window) {
    if (pointer_on_control && left_down) {
        if (!visible && focus_in_window) {
            return TipStep::Show;
        }
        if (visible && !focus_in_window) {
            return TipStep::Hide;
        }
        return TipStep::None;
    }
    return visible ? TipStep::Hide : TipStep::None;
}

}  // namespace zemlo::shell
