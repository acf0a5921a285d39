#include "message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "messages.h"

namespace zemlo::shell {

app::BoxAnswer run_message_box(const app::MessageBoxDetails &box, QWidget *owner) {
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
    QMessageBox mb(icon, QString::fromStdString(box.caption), QString::fromStdString(box.text),
                   QMessageBox::NoButton, owner);
    QPushButton *ok = mb.addButton(QString::fromStdString(app::render(app::MessageId::ButtonOk)),
                                   QMessageBox::AcceptRole);
    QPushButton *cancel = nullptr;
    if (box.buttons == app::BoxButtons::OkCancel) {
        cancel = mb.addButton(QString::fromStdString(app::render(app::MessageId::ButtonCancel)),
                              QMessageBox::RejectRole);
        mb.setEscapeButton(cancel);
    } else {
        mb.setEscapeButton(ok);
    }
    mb.setDefaultButton(ok);
    if (box.topmost) {
        mb.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    mb.exec();
    return mb.clickedButton() == ok ? app::BoxAnswer::Ok : app::BoxAnswer::Cancel;
}

}  // namespace zemlo::shell
