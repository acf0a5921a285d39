#include "in_place_editor.h"

#include <QKeyEvent>

namespace zemlo::shell {

InPlaceEditor::InPlaceEditor(QWidget *parent, QWidget *focus_after, const QRect &rect,
                             const QString &text, Finished finished)
    : QLineEdit(parent), focus_after_(focus_after), finished_(std::move(finished)) {
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
    // Hiding the focused editor would pass the focus on to whatever follows it in the tab chain
    // (the file type box, where the next arrow key changes the type).
    if (hasFocus() && focus_after_ != nullptr) {
        focus_after_->setFocus(Qt::OtherFocusReason);
    }
    hide();
    deleteLater();
    // The handler may open message boxes; the editor is out of the way by then.
    Finished finished = std::move(finished_);
    finished(text);
}

}  // namespace zemlo::shell
