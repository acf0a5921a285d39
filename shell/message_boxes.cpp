#include "message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "messages.h"
#include "shown_text.h"

namespace zemlo::shell {

app::MessageBoxDetails window_box(std::string text, std::string caption, app::BoxIcon icon) {
    return {std::move(text),     std::move(caption),        icon,
            app::BoxButtons::Ok, app::BoxOwner::MainWindow, false};
}

std::unique_ptr<QMessageBox> make_message_box(const app::MessageBoxDetails &box, QWidget *owner) {
    QMessageBox::Icon icon = QMessageBox::Critical;
    switch (box.icon) {
        case app::BoxIcon::Error:
            icon = QMessageBox::Critical;
            break;
        case app::BoxIcon::Information:
            icon = QMessageBox::Information;
            break;
        case app::BoxIcon::Question:
            icon = QMessageBox::Question;
            break;
        case app::BoxIcon::Warning:
            icon = QMessageBox::Warning;
            break;
    }
    auto mb = std::make_unique<QMessageBox>(icon, shown_text(box.caption), shown_text(box.text),
                                            QMessageBox::NoButton, owner);
    QPushButton *ok = mb->addButton(QString::fromStdString(app::render(app::MessageId::ButtonOk)),
                                    QMessageBox::AcceptRole);
    if (box.buttons == app::BoxButtons::OkCancel) {
        QPushButton *cancel =
            mb->addButton(QString::fromStdString(app::render(app::MessageId::ButtonCancel)),
                          QMessageBox::RejectRole);
        mb->setEscapeButton(cancel);
    } else {
        mb->setEscapeButton(ok);
    }
    mb->setDefaultButton(ok);
    if (box.topmost) {
        mb->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    return mb;
}

app::BoxAnswer run_message_box(const app::MessageBoxDetails &box, QWidget *owner) {
    const std::unique_ptr<QMessageBox> mb = make_message_box(box, owner);
    mb->exec();
    return mb->clickedButton() == mb->defaultButton() ? app::BoxAnswer::Ok : app::BoxAnswer::Cancel;
}

}  // namespace zemlo::shell
