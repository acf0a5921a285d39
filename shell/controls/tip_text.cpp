#include "tip_text.h"

#include <algorithm>

namespace zemlo::shell {

QString boundedTipText(const QString &text) {
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

QStringList tipLines(const QString &text) {
    return text.split(QLatin1Char('\n'));
}

QSize tipTextExtent(const QFontMetrics &metrics, const QString &text) {
    const QStringList lines = tipLines(text);
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

TipStep tipPollStep(bool visible, bool pointerOnControl, bool leftDown, bool focusInWindow) {
    if (pointerOnControl && leftDown) {
        if (!visible && focusInWindow) {
            return TipStep::Show;
        }
        if (visible && !focusInWindow) {
            return TipStep::Hide;
        }
        return TipStep::None;
    }
    return visible ? TipStep::Hide : TipStep::None;
}

}  // namespace zemlo::shell
