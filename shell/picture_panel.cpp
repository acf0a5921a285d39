#include "picture_panel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <iterator>

#include "dialog_units.h"
#include "picture_file_conversion.h"

namespace zemlo::shell {

namespace {

// What a screen reader is told of the picture box: a picture, named "图片预览", described by
// what the black area says when there is no picture to see, or by the frame when there is; its
// help says how to frame it with the keys.
class PictureAreaAccessible : public QAccessibleWidget {
  public:
    explicit PictureAreaAccessible(PictureArea *area)
        : QAccessibleWidget(area, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override {
        auto *area = static_cast<PictureArea *>(widget());
        if (t == QAccessible::Description) {
            const QString status = area->status_text();
            return status.isEmpty() ? area->toolTip() : status;
        }
        if (t == QAccessible::Help) {
            return area->whatsThis();
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
// panel too small for it (a small font for a small screen) it is reduced by a half step. Below
// it, the zoom with the framing's hint, and the dither.
const QSize kPictureBox(128, 132);
constexpr int kBoxRoomLeftDu = 8;
constexpr int kBoxRoomTopDu = 32;
constexpr int kBoxRoomRightDu = 105;
constexpr int kBoxRoomBottomDu = 126;
constexpr DuRect kZoomLabel{8, 127, 97, 9};
constexpr DuRect kDitherBox{8, 137, 97, 11};
constexpr double kBoxScales[] = {2.0, 1.5, 1.0, 0.5};
const QColor kNoPictureText(160, 160, 160);
constexpr int kWheelStep = 120;            // one notch of a mouse wheel, in eighths of a degree
constexpr size_t kRememberedFiles = 1000;  // files whose frames are kept

media::DisplayEffect effect_at(int index) {
    switch (index) {
        case 1:
            return media::DisplayEffect::Stretch;
        case 2:
            return media::DisplayEffect::Cover;
        default:
            return media::DisplayEffect::Fit;
    }
}

// Metafiles are read where they are drawn: their readers are libraries of their own, not made
// to be used from two threads, and a metafile is quick to read.
bool read_in_place(const std::string &path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char &c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext == ".emf" || ext == ".wmf";
}

media::FrameBasis basis_of(const media::DecodedPicture &picture, media::DisplayEffect effect) {
    const media::NaturalSize natural = picture.natural();
    return {effect, picture.upright_size(), natural.width, natural.height};
}

}  // namespace

double picture_box_scale(QSize room) {
    for (const double k : kBoxScales) {
        if (kPictureBox.width() * k <= room.width() && kPictureBox.height() * k <= room.height()) {
            return k;
        }
    }
    return kBoxScales[std::size(kBoxScales) - 1];
}

// --- the picture box ----------------------------------------------------------------------------

PictureArea::PictureArea(media::PictureSelection &selection, std::mutex &mutex, QWidget *parent)
    : QWidget(parent), selection_(selection), mutex_(mutex) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Framed with the keys as with the mouse: it takes the focus by Tab and by a click.
    setFocusPolicy(Qt::StrongFocus);
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(picture_area_interface); });
}

bool PictureArea::has_picture() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.has_picture();
}

QString PictureArea::status_text() const {
    bool has_picture = false;
    bool reading = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        has_picture = selection_.has_picture();
        reading = selection_.wanted().has_value();
    }
    if (has_picture) {
        return QString();
    }
    if (reading) {
        return tr("正在读取图片...");
    }
    return unreadable_ ? tr("无法读取该图片") : tr("未选择图片");
}

void PictureArea::set_unreadable(bool unreadable) {
    unreadable_ = unreadable;
    update();
}

double PictureArea::box_scale() const {
    return static_cast<double>(width()) / kPictureBox.width();
}

QPointF PictureArea::area_point(QPointF widget_point) const {
    const double k = box_scale();
    return widget_point / k - QPointF(media::kAreaInset, media::kAreaInset);
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
    const double k = box_scale();
    if (has_picture) {
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
    if (hasFocus()) {
        // The focus shows on the edge, outside the handset's pixels.
        QPen pen(palette().color(QPalette::Highlight));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.drawRect(QRectF(1, 1, width() - 3, height() - 3));
    }
}

void PictureArea::mousePressEvent(QMouseEvent *event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton && has_picture()) {
        drag_from_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
}

void PictureArea::mouseMoveEvent(QMouseEvent *event) {
    if (!drag_from_) {
        return;
    }
    const QPointF by = (event->position() - *drag_from_) / box_scale();
    drag_from_ = event->position();
    if (!by.isNull()) {
        emit move_asked(by);
    }
}

void PictureArea::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        drag_from_.reset();
        unsetCursor();
    }
}

void PictureArea::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        emit reset_asked();
    }
}

void PictureArea::wheelEvent(QWheelEvent *event) {
    wheel_rest_ += event->angleDelta().y();
    const int steps = wheel_rest_ / kWheelStep;
    wheel_rest_ -= steps * kWheelStep;
    if (steps != 0) {
        emit zoom_asked(std::pow(PicturePanel::kZoomStep, steps), area_point(event->position()));
    }
    event->accept();
}

void PictureArea::keyPressEvent(QKeyEvent *event) {
    const double step = PicturePanel::kArrowStep;
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            emit zoom_asked(PicturePanel::kZoomStep, std::nullopt);
            break;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            emit zoom_asked(1 / PicturePanel::kZoomStep, std::nullopt);
            break;
        // The arrows move the photo as a drag does.
        case Qt::Key_Left:
            emit move_asked({-step, 0});
            break;
        case Qt::Key_Right:
            emit move_asked({step, 0});
            break;
        case Qt::Key_Up:
            emit move_asked({0, -step});
            break;
        case Qt::Key_Down:
            emit move_asked({0, step});
            break;
        case Qt::Key_0:
            emit reset_asked();
            break;
        default:
            event->ignore();  // Tab, Enter, Escape and the rest go on as usual
            return;
    }
    event->accept();
}

// --- the panel --------------------------------------------------------------------------------

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
    effect_->addItem(tr("填满"));
    effect_->setItemData(2, tr("填满屏幕，不变形，裁去多出的部分"), Qt::ToolTipRole);
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
    const QString how = tr("滚轮或+/-缩放，拖动或方向键移动，0或双击复原");
    area_->setWhatsThis(how);
    area_->setToolTip(how);
    zoom_label_ = new QLabel(this);
    zoom_label_->setGeometry(du_rect(base, kZoomLabel));
    dither_ = new QCheckBox(tr("色彩抖动"), this);
    dither_->setGeometry(du_rect(base, kDitherBox));
    dither_->setToolTip(tr("以误差扩散换算成手机的16位色彩，渐变不成色带"));
    show_zoom();
    connect(effect_, &QComboBox::currentIndexChanged, this, &PicturePanel::effect_changed);
    connect(dither_, &QCheckBox::toggled, this, &PicturePanel::dither_changed);
    connect(area_, &PictureArea::zoom_asked, this,
            [this](double factor, std::optional<QPointF> at) { zoom(factor, at); });
    connect(area_, &PictureArea::move_asked, this, &PicturePanel::move_photo);
    connect(area_, &PictureArea::reset_asked, this, &PicturePanel::reset_frame);
    // Finished decodes come back to the window thread; the panel may be gone by then, and the
    // decoder with it (its destructor waits for the decode under way).
    decoder_ = std::make_unique<media::PictureDecodeWorker>(
        [self = QPointer<PicturePanel>(this)](const media::DecodeRequest &request,
                                              media::DecodeResult result) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, request, result = std::move(result)]() mutable {
                    if (self) {
                        self->decoded(request, std::move(result));
                    }
                },
                Qt::QueuedConnection);
        });
}

PicturePanel::~PicturePanel() {
    decoder_.reset();
}

media::DisplayEffect PicturePanel::effect() const {
    return effect_at(effect_->currentIndex());
}

media::PictureChoice PicturePanel::choice_for(const std::string &path) const {
    media::PictureChoice choice;
    choice.effect = effect();
    choice.dither = dither_->isChecked();
    if (const auto it = frames_.find(path); it != frames_.end()) {
        if (const auto &frame = it->second.by_effect[static_cast<size_t>(choice.effect)]) {
            choice.framing.crop = frame->second;
        }
    }
    return choice;
}

void PicturePanel::submit(const std::optional<media::DecodeRequest> &request) {
    if (!request) {
        decoder_->drop_waiting();
        return;
    }
    if (read_in_place(request->path)) {
        decoder_->drop_waiting();
        std::lock_guard<std::mutex> lock(mutex_);
        selection_.finish_decoding();
        return;
    }
    decoder_->submit(*request);
}

void PicturePanel::show_picture(const std::string &path) {
    std::optional<media::DecodeRequest> wanted;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        selection_.begin_show(path);
        wanted = selection_.set_choice_deferred(choice_for(path));
    }
    area_->set_unreadable(false);
    submit(wanted);
    // A metafile was read at once.
    area_->set_unreadable(!has_picture() && settled() && !path.empty());
    show_zoom();
}

void PicturePanel::decoded(const media::DecodeRequest &request, media::DecodeResult result) {
    std::optional<media::DecodeRequest> next;
    bool failed = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!selection_.take_decoded(request, std::move(result))) {
            return;  // a click or a zoom since wants another one
        }
        next = selection_.wanted();
        failed = !selection_.has_picture();
    }
    if (next) {
        submit(next);
    }
    area_->set_unreadable(failed);
    show_zoom();
}

void PicturePanel::clear_picture() {
    decoder_->drop_waiting();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Loading nothing drops the picture and its capture on disk.
        selection_.begin_show(std::string());
    }
    area_->set_unreadable(false);
    show_zoom();
}

void PicturePanel::apply_choice() {
    std::optional<media::DecodeRequest> wanted;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wanted = selection_.set_choice_deferred(choice_for(selection_.path()));
    }
    submit(wanted);
    area_->update();
    show_zoom();
}

void PicturePanel::effect_changed(int) {
    // The frame starts again from the effect (or the one chosen under it before comes back).
    apply_choice();
}

void PicturePanel::dither_changed(bool) {
    apply_choice();
}

void PicturePanel::edit_frame(
    const std::function<media::HandFrame(const media::FrameBasis &, const media::HandFrame &)>
        &change) {
    std::string path;
    media::FrameBasis basis;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!selection_.has_picture()) {
            return;
        }
        path = selection_.path();
        basis = basis_of(*selection_.picture(), effect());
    }
    const auto known = frames_.find(path);
    const media::HandFrame before =
        known != frames_.end() && known->second.by_effect[static_cast<size_t>(basis.effect)]
            ? known->second.by_effect[static_cast<size_t>(basis.effect)]->first
            : media::start_frame(basis);
    const media::HandFrame after = change(basis, before);
    if (after == before) {
        return;
    }
    if (known == frames_.end() && frames_.size() >= kRememberedFiles) {
        frames_.erase(frames_.begin());  // a long session forgets some to make room
    }
    auto &slot = frames_[path].by_effect[static_cast<size_t>(basis.effect)];
    const std::optional<media::PixelRect> crop = media::frame_crop(basis, after);
    if (crop) {
        slot = std::make_pair(after, *crop);
    } else {
        slot.reset();  // back at the effect's own start: drawn exactly as without a frame
    }
    apply_choice();
}

void PicturePanel::zoom(double factor, std::optional<QPointF> area_point) {
    edit_frame([&](const media::FrameBasis &basis, const media::HandFrame &frame) {
        std::optional<media::SourcePoint> anchor;
        const auto placed = media::frame_placement(basis, frame);
        if (area_point && placed && placed->scale_x > 0 && placed->scale_y > 0) {
            const media::PixelRect &t = placed->target;
            const QPointF a = *area_point;
            if (a.x() >= t.left && a.x() <= t.left + t.width && a.y() >= t.top &&
                a.y() <= t.top + t.height) {
                anchor =
                    media::SourcePoint{placed->source.left + (a.x() - t.left) / placed->scale_x,
                                       placed->source.top + (a.y() - t.top) / placed->scale_y};
            }
        }
        return media::zoom_frame(basis, frame, factor, anchor);
    });
}

void PicturePanel::move_photo(QPointF area_pixels) {
    edit_frame([&](const media::FrameBasis &basis, const media::HandFrame &frame) {
        const auto placed = media::frame_placement(basis, frame);
        if (!placed || placed->scale_x <= 0 || placed->scale_y <= 0) {
            return frame;
        }
        // The photo follows the pointer: the part shown moves the other way.
        return media::move_frame(basis, frame, -area_pixels.x() / placed->scale_x,
                                 -area_pixels.y() / placed->scale_y);
    });
}

void PicturePanel::reset_frame() {
    edit_frame([](const media::FrameBasis &basis, const media::HandFrame &) {
        return media::start_frame(basis);
    });
}

void PicturePanel::show_zoom() {
    std::optional<media::FrameBasis> basis;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (selection_.has_picture()) {
            basis = basis_of(*selection_.picture(), effect());
            path = selection_.path();
        }
    }
    const QString how = area_->whatsThis();
    if (!basis) {
        zoom_label_->clear();
        area_->setToolTip(how);
        area_->update();
        return;
    }
    double zoom = 1.0;
    const std::optional<media::PixelRect> shown = crop();
    if (const auto it = frames_.find(path); it != frames_.end()) {
        if (const auto &frame = it->second.by_effect[static_cast<size_t>(basis->effect)]) {
            zoom = frame->first.zoom;
        }
    }
    zoom_label_->setText(tr("缩放 %1%").arg(std::lround(zoom * 100)));
    // The frame as the command line's --crop takes it, for whoever wants the same elsewhere.
    area_->setToolTip(shown ? tr("取景 %1,%2,%3,%4（原图像素）")
                                      .arg(shown->left)
                                      .arg(shown->top)
                                      .arg(shown->width)
                                      .arg(shown->height) +
                                  u'\n' + how
                            : how);
    area_->update();
}

bool PicturePanel::convert_picture(const std::string &output_path, const std::string &source,
                                   const media::PictureChoice &choice) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (source.empty() || (source == selection_.path() && choice == selection_.choice())) {
            // What the panel shows is what is sent.
            return selection_.convert_selection(output_path, source).ok;
        }
    }
    return media::convert_picture_file(source, output_path, choice).ok;
}

bool PicturePanel::captured() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.captured();
}

bool PicturePanel::has_picture() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.has_picture();
}

bool PicturePanel::settled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !selection_.wanted().has_value();
}

std::optional<media::PixelRect> PicturePanel::crop() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.choice().framing.crop;
}

std::string PicturePanel::path() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.path();
}

std::string PicturePanel::last_error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return selection_.last_error();
}

void PicturePanel::keyPressEvent(QKeyEvent *event) {
    event->ignore();  // Enter and Escape never close the panel; the main window ignores them too
}

}  // namespace zemlo::shell
