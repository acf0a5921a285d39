#include "picture_panel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <cmath>
#include <iterator>

#include "dialog_units.h"

namespace zemlo::shell {

namespace {

// What a screen reader is told of the picture box: a picture, named "图片预览", described by
// what the black area says when there is no picture to see.
class PictureAreaAccessible : public QAccessibleWidget {
  public:
    explicit PictureAreaAccessible(PictureArea *area)
        : QAccessibleWidget(area, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description) {
            return static_cast<PictureArea *>(widget())->status_text();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *picture_area_interface(const QString &key, QObject *object) {
    if (key == QLatin1String(PictureArea::staticMetaObject.className())) {
        if (auto *area = qobject_cast<PictureArea *>(object)) {
            return new PictureAreaAccessible(area);
        }
    }
    return nullptr;
}

// The picture box stands for the handset's screen: 128 x 132 pixels (its 122 x 126 drawing area
// and the edge) at the normal font, at the top left of its room inside the group box; on a
// panel too small for it (a small font for a small screen) it is reduced by a half step.
const QSize kPictureBox(128, 132);
constexpr int kBoxRoomLeftDu = 8;
constexpr int kBoxRoomTopDu = 32;
constexpr int kBoxRoomRightDu = 105;
constexpr int kBoxRoomBottomDu = 148;
constexpr double kBoxScales[] = {2.0, 1.5, 1.0, 0.5};
const QColor kNoPictureText(160, 160, 160);

}  // namespace

double picture_box_scale(QSize room) {
    for (const double k : kBoxScales) {
        if (kPictureBox.width() * k <= room.width() && kPictureBox.height() * k <= room.height()) {
            return k;
        }
    }
    return kBoxScales[std::size(kBoxScales) - 1];
}

PictureArea::PictureArea(media::PictureSelection &selection, std::mutex &mutex, QWidget *parent)
    : QWidget(parent), selection_(selection), mutex_(mutex) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(picture_area_interface); });
}

QString PictureArea::status_text() const {
    bool has_picture = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        has_picture = selection_.has_picture();
    }
    if (has_picture) {
        return QString();
    }
    return unreadable_ ? tr("无法读取该图片") : tr("未选择图片");
}

void PictureArea::set_unreadable(bool unreadable) {
    unreadable_ = unreadable;
    update();
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
        // The box is kPictureBox at scale k (picture_box_scale); the drawing area with it.
        const double k = static_cast<double>(width()) / kPictureBox.width();
        const QRectF target(media::kAreaInset * k, media::kAreaInset * k, image.width() * k,
                            image.height() * k);
        p.setRenderHint(QPainter::SmoothPixmapTransform, k != std::floor(k));
        p.drawImage(target, image);
    } else {
        p.setPen(kNoPictureText);
        p.drawText(rect().adjusted(media::kAreaInset, 0, -media::kAreaInset, 0),
                   Qt::AlignCenter | Qt::TextWordWrap, status_text());
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
    label->setGeometry(du_rect(base, 7, 17, 42, 9));
    effect_ = new QComboBox(this);
    // Wide enough for either language's longest effect name beside its arrow at any font.
    effect_->setGeometry(du_rect(base, 50, 15, 54, 12));
    effect_->addItem(tr("平铺"));
    effect_->addItem(tr("拉伸"));
    effect_->setCurrentIndex(0);
    label->setBuddy(effect_);
    fit_label_and_box(label, effect_, du_x(base, kBoxRoomRightDu));
    area_ = new PictureArea(selection_, mutex_, this);
    const QPoint room_top_left(du_x(base, kBoxRoomLeftDu), du_y(base, kBoxRoomTopDu));
    const QSize room(du_x(base, kBoxRoomRightDu) - room_top_left.x(),
                     du_y(base, kBoxRoomBottomDu) - room_top_left.y());
    const double k = picture_box_scale(room);
    area_->setGeometry(QRect(room_top_left, (QSizeF(kPictureBox) * k).toSize()));
    area_->setAccessibleName(tr("图片预览"));
    connect(effect_, &QComboBox::currentIndexChanged, this, &PicturePanel::effect_changed);
}

bool PicturePanel::show_picture(const std::string &path) {
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ok = selection_.show_picture(path);
    }
    area_->set_unreadable(!ok);
    return ok;
}

void PicturePanel::clear_picture() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Loading nothing drops the picture and its capture on disk.
        selection_.show_picture(std::string());
    }
    area_->set_unreadable(false);
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
