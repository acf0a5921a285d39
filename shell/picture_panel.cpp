#include "picture_panel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include "dialog_units.h"

namespace zemlo::shell {

namespace {

// The picture box is placed in pixels, not dialog units: the handset's screen has a fixed size.
const QRect kPictureBox(15, 60, 128, 132);
const QColor kNoPictureText(160, 160, 160);

}  // namespace

PictureArea::PictureArea(media::PictureSelection &selection, std::mutex &mutex, QWidget *parent)
    : QWidget(parent), selection_(selection), mutex_(mutex) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureArea::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    QImage image;
    bool has_picture = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        has_picture = selection_.has_picture();
        if (has_picture) {
            // Draws the area and, when it is stale, writes the capture of exactly these pixels.
            image = selection_.draw();
        }
    }
    if (has_picture) {
        p.drawImage(QPoint(media::kAreaInset, media::kAreaInset), image);
    } else {
        p.setPen(kNoPictureText);
        p.drawText(rect(), Qt::AlignCenter, tr("未选择图片"));
    }
    // The static edge: dark above and left, light below and right.
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
}

PicturePanel::PicturePanel(const BaseUnits &base, media::PictureFolders folders, QWidget *parent)
    : QWidget(parent), selection_(std::move(folders)) {
    resize(du_x(base, kPanelWidthDu), du_y(base, kPanelHeightDu));
    auto *group = new QGroupBox(this);
    group->setGeometry(du_rect(base, 2, 1, 106, 149));
    auto *label = new QLabel(tr("显示效果："), this);
    label->setGeometry(du_rect(base, 9, 17, 41, 9));
    effect_ = new QComboBox(this);
    effect_->setGeometry(du_rect(base, 62, 15, 34, 12));
    effect_->addItem(tr("平铺"));
    effect_->addItem(tr("拉伸"));
    effect_->setCurrentIndex(0);
    area_ = new PictureArea(selection_, mutex_, this);
    area_->setGeometry(kPictureBox);
    connect(effect_, &QComboBox::currentIndexChanged, this, &PicturePanel::effect_changed);
}

bool PicturePanel::show_picture(const std::string &path) {
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ok = selection_.show_picture(path);
    }
    area_->update();
    return ok;
}

bool PicturePanel::convert_selection(const std::string &output_path,
                                     const std::string &source_path) {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.convert_selection(output_path, source_path).ok;
}

bool PicturePanel::captured() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.captured();
}

bool PicturePanel::has_picture() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.has_picture();
}

std::string PicturePanel::last_error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.last_error();
}

void PicturePanel::effect_changed(int index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        selection_.set_effect(index == 1 ? media::DisplayEffect::Stretch
                                         : media::DisplayEffect::Fit);
    }
    update();
    area_->update();
}

void PicturePanel::keyPressEvent(QKeyEvent *event) {
    event->ignore();  // Enter and Escape never close the panel; the main window ignores them too
}

}  // namespace zemlo::shell
