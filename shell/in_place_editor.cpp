#include "in_place_editor.h"

#include <QKeyEvent>

namespace zemlo::shell {

InPlaceEditor::InPlaceEditor(QWidget *parent, const QRect &rect, const QString &text,
                             Finished finished)
    : QLineEdit(parent), finished_(std::move(finished)) {
    setGeometry(rect);
    setText(text);
    selectAll();
    show();
    setFocus(Qt::OtherFocusReason);
}

void InPlaceEditor::commit() {
    finish(text());
}

void InPlaceEditor::cancel() {
    finish(std::nullopt);
}

void InPlaceEditor::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commit();
            return;
        case Qt::Key_Escape:
            cancel();
            return;
        default:
            QLineEdit::keyPressEvent(event);
    }
}

void InPlaceEditor::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    commit();
}

void InPlaceEditor::finish(const std::optional<QString> &text) {
    if (done_) {
        return;
    }
    done_ = true;
    hide();
    deleteLater();
    // The handler may open message boxes; the editor is out of the way by then.
    Finished finished = std::move(finished_);
    finished(text);
}

}  // namespace zemlo::shell
