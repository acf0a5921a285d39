#include "wait_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "box_captions.h"
#include "dialog_units.h"
#include "frame_animation_static.h"
#include "shown_text.h"

namespace zemlo::shell {

namespace {

const QColor kBackground(192, 192, 192);
constexpr int kWidthDu = 248;
constexpr int kHeightDu = 97;

// Each line cut to the label's width in its middle, so that a long file name keeps its beginning
// and its extension, and the step under it stays whole.
QString elided_lines(const QString &text, const QFontMetrics &metrics, int width) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        line = metrics.elidedText(line, Qt::ElideMiddle, width);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

WaitWindow::WaitWindow(const BaseUnits &base, BoxAnswerer *answerer)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      answerer_(answerer) {
    setWindowTitle(tr("请稍候...."));
    setModal(false);
    setFixedSize(du_x(base, kWidthDu), du_y(base, kHeightDu));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);

    animation_ = new FrameAnimationStatic(this);
    animation_->setGeometry(du_rect(base, 0, 7, 240, 29));
    text_ = new QLabel(this);
    // One line sits where it always did (centred at 53); room above and below it for a second,
    // the file of a download of several above its step.
    text_->setGeometry(du_rect(base, 13, 39, 154, 28));
    text_->setAttribute(Qt::WA_TranslucentBackground);
    progress_ = new QProgressBar(this);
    progress_->setGeometry(du_rect(base, 10, 68, 166, 9));
    progress_->setTextVisible(false);
    progress_->setAccessibleName(tr("进度"));
    progress_->setRange(0, 0);
    progress_->setValue(0);
    cancel_ = new QPushButton(tr("取消"), this);
    cancel_->setGeometry(du_rect(base, 186, 65, 50, 14));
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &WaitWindow::cancel_clicked);
    sync();
}

void WaitWindow::report(const app::Report &report, bool cancel_flag) {
    const std::string text = report.text();
    const app::WaitWindowModel::Box box =
        model_.report(text, static_cast<int32_t>(report.level), report.range, cancel_flag);
    if (box != app::WaitWindowModel::Box::None) {
        const bool error = box == app::WaitWindowModel::Box::Error;
        app::MessageBoxDetails notice;
        notice.text = text;
        notice.caption = error ? error_box_caption() : notice_box_caption(report.message.id);
        notice.icon = error ? app::BoxIcon::Error : app::BoxIcon::Information;
        notice.owner = app::BoxOwner::WaitWindow;
        notice.topmost = true;
        (*answerer_)(notice, isVisible() ? this : parentWidget());
    }
    sync();
}

void WaitWindow::dismiss() {
    model_.cancel();
    sync();
}

void WaitWindow::cancel_clicked() {
    model_.cancel();
    sync();
    if (on_cancel_) {
        on_cancel_();
    }
}

void WaitWindow::sync() {
    const app::WaitWindowView &v = model_.view();
    text_->setText(elided_lines(shown_text(v.text), text_->fontMetrics(), text_->width()));
    // A range of 0..0 would make the bar busy-animate; an empty bar is 0..1 at 0.
    progress_->setRange(0, v.progress_max > 0 ? v.progress_max : 1);
    progress_->setValue(v.progress_max > 0 ? v.progress : 0);
    if (v.animating && !animation_->running()) {
        animation_->start();
    } else if (!v.animating && animation_->running()) {
        animation_->stop();
    }
    if (v.visible && !isVisible()) {
        show();
        raise();
    } else if (!v.visible && isVisible()) {
        hide();
    }
}

void WaitWindow::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        // Neither closes nor cancels: the window ends with its operation or with "取消".
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void WaitWindow::closeEvent(QCloseEvent *event) {
    event->ignore();
}

}  // namespace zemlo::shell
