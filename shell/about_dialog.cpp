#include "about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "artwork.h"
#include "dialog_units.h"

namespace zemlo::shell {

namespace {

constexpr int kIconPixels = 32;

}  // namespace

AboutDialog::AboutDialog(const BaseUnits &base, QWidget *parent) : QDialog(parent) {
    // Laid out from the window's font, which a dialog does not take from its window by itself.
    if (parent != nullptr) {
        setFont(parent->font());
    }
    setWindowTitle(tr("关于"));
    setFixedSize(du_x(base, 235), du_y(base, 55));
    auto *icon = new QLabel(this);
    icon->setPixmap(load_icon(Icon::App).pixmap(kIconPixels, kIconPixels));
    icon->setGeometry(du_x(base, 13), du_y(base, 13), kIconPixels, kIconPixels);
    auto *text = new QLabel(tr("手机屏保铃音下载软件2.0 版"), this);
    text->setGeometry(du_rect(base, 45, 20, 117, 17));
    // Two lines where the language's words are longer than the room on one.
    text->setWordWrap(true);
    auto *ok = new QPushButton(tr("确定"), this);
    ok->setGeometry(du_rect(base, 169, 17, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zemlo::shell
