#include "melody_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>
#include <optional>

#include "artwork.h"
#include "dialog_units.h"
#include "icon_button.h"
#include "play_time.h"
#include "shaded_slider.h"
#include "shown_text.h"
#include "zemlo/handset_records.h"

namespace zemlo::shell {

namespace {

constexpr int kButtonIconPixels = 32;
constexpr int kIconPixels = 32;
constexpr int kIconLeftDu = 8;
constexpr int kTimeTextLeftDu = 35;
constexpr int kSliderMax = 100;
const QColor kSelectionColour(64, 64, 255);
const QColor kChannelColour(196, 196, 255);
const QColor kOverLimitColour(192, 0, 0);
// Below the buttons: the size against the limit, the cut, and the choice to cut.
constexpr DuRect kSizeLabel{8, 120, 92, 9};
constexpr DuRect kCutLabel{8, 130, 92, 9};
constexpr DuRect kFitBox{8, 140, 92, 9};

// Seconds with one decimal, whatever the locale.
QString seconds_text(uint64_t micros) {
    return QString::number(static_cast<double>(micros) / 1e6, 'f', 1);
}

}  // namespace

MelodyPanel::MelodyPanel(const BaseUnits &base, BoxAnswerer *answerer,
                         std::function<void(bool)> hold_buttons, QWidget *parent)
    : QWidget(parent), answerer_(answerer), hold_buttons_(std::move(hold_buttons)) {
    resize(du_x(base, kPanelWidthDu), du_y(base, kPanelHeightDu));
    auto *group = new QGroupBox(this);
    group->setGeometry(du_rect(base, 0, 0, 106, 150));
    auto *icon = new QLabel(this);
    // 32 pixels, or less where a small font leaves less room before the time text.
    const int icon_pixels = std::min(kIconPixels, du_x(base, kTimeTextLeftDu - kIconLeftDu - 2));
    icon->setPixmap(load_icon(Icon::Melody).pixmap(icon_pixels, icon_pixels));
    icon->setGeometry(du_x(base, kIconLeftDu), du_y(base, 21), icon_pixels, icon_pixels);
    time_ = new QLabel(tr("播放时间"), this);
    time_->setGeometry(du_rect(base, kTimeTextLeftDu, 27, 64, 12));
    slider_ = new ShadedSlider(this);
    slider_->setGeometry(du_rect(base, 8, 58, 89, 20));
    slider_->set_selection_colour(kSelectionColour);
    slider_->set_channel_colour(kChannelColour);
    slider_->setRange(0, kSliderMax);
    slider_->setAccessibleName(tr("播放位置"));
    play_ = new IconButton(QString(), this);
    play_->setGeometry(du_rect(base, 18, 97, 25, 22));
    play_->set_icon(Icon::Play, kButtonIconPixels);
    // Buttons with an icon alone: the tooltip says what they do, and is their name.
    play_->setToolTip(tr("播放"));
    stop_ = new IconButton(QString(), this);
    stop_->setGeometry(du_rect(base, 61, 97, 25, 22));
    stop_->set_icon(Icon::Stop, kButtonIconPixels);
    stop_->setToolTip(tr("停止"));
    size_ = new QLabel(this);
    size_->setGeometry(du_rect(base, kSizeLabel));
    cut_ = new QLabel(this);
    cut_->setGeometry(du_rect(base, kCutLabel));
    fit_ = new QCheckBox(tr("截短以适合手机"), this);
    fit_->setGeometry(du_rect(base, kFitBox));
    fit_->setToolTip(tr("旋律转换后超过手机的%1字节上限时，在最后一个放得下的事件处截短")
                         .arg(records::kMaxMelodyBytes));
    connect(fit_, &QCheckBox::toggled, this, &MelodyPanel::show_size);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &MelodyPanel::tick);
    connect(play_, &QPushButton::clicked, this, &MelodyPanel::play);
    connect(stop_, &QPushButton::clicked, this, &MelodyPanel::stop);
    // The keys move the slider the same way (ShadedSlider emits a short drag for each).
    connect(slider_, &QSlider::sliderMoved, this, &MelodyPanel::slider_moved);
    connect(slider_, &QSlider::sliderReleased, this, &MelodyPanel::slider_released);
}

MelodyPanel::~MelodyPanel() {
    timer_.stop();
    player_.close();
}

int MelodyPanel::set_melody_source(const std::string &path) {
    const int result = selection_.SetMelodySource(path);
    if (!player_.is_open()) {
        // A thumb left somewhere, and the length shown, belonged to the melody chosen before.
        start_percent_ = 0;
        slider_->setValue(0);
        show_source_length();
    }
    show_size();
    return result;
}

void MelodyPanel::clear_source() {
    set_melody_source(std::string());
}

void MelodyPanel::show_source_length() {
    const std::string source = selection_.source();
    const std::optional<uint32_t> length =
        source.empty() ? std::nullopt : media::midi_file_length_ms(source);
    time_->setText(length ? QString::fromStdString(play_time_text(*length)) : tr("播放时间"));
}

void MelodyPanel::show_player_failure() {
    using media::PlayerFailure;
    const media::PlayerError &error = player_.last_failure();
    QString text;
    switch (error.failure) {
        case PlayerFailure::CannotOpen:
        case PlayerFailure::CannotRead:
            text = tr("无法读取该MIDI文件。");
            break;
        case PlayerFailure::TooLarge:
            text = tr("该文件太大，不是可以播放的MIDI文件。");
            break;
        case PlayerFailure::NotMidi:
            text = tr("该文件不是可以播放的MIDI文件。");
            break;
        case PlayerFailure::NoSynthesizer:
        case PlayerFailure::SynthesizerSetUp:
            text = tr("无法启动音源，不能播放乐曲。");
            break;
        case PlayerFailure::NoSoundFont:
            text = tr("找不到可用的音色库，不能播放乐曲。");
            break;
        case PlayerFailure::NoAudioOutput:
            text = tr("无法打开音频输出，不能播放乐曲。");
            break;
        case PlayerFailure::CannotWriteWav:
            text = tr("无法写入播放的声音文件。");
            break;
        case PlayerFailure::None:
        case PlayerFailure::NotOpen:
            text = tr("未知错误");
            break;
    }
    // The system's own words, in its language, come after a sentence in ours; a file that is not
    // MIDI is said in ours alone (the reader's words are the program's own, in English).
    const bool system_words =
        error.failure != PlayerFailure::NotMidi && error.failure != PlayerFailure::TooLarge;
    if (system_words && !error.detail.empty()) {
        text += u'\n' + tr("系统的说明：%1").arg(shown_text(error.detail));
    }
    (*answerer_)(
        window_box(text.toStdString(), tr("播放错误").toStdString(), app::BoxIcon::Warning),
        window());
}

bool MelodyPanel::convert_selection(const std::string &output, const std::string &source,
                                    bool fit) {
    media::MelodyOptions options;
    options.fit_limit = fit ? records::kMaxMelodyBytes : 0;
    return selection_.ConvertSelection(output, source, options) != 0;
}

bool MelodyPanel::fit_chosen() const {
    return fit_->isChecked();
}

void MelodyPanel::show_size() {
    const std::string source = selection_.source();
    QPalette colours = palette();
    size_->setPalette(colours);
    size_->clear();
    cut_->clear();
    if (source.empty()) {
        return;
    }
    constexpr size_t kLimit = records::kMaxMelodyBytes;
    media::MelodyOptions options;
    options.fit_limit = fit_chosen() ? kLimit : 0;
    const media::MelodyConversion c = media::measure_melody_file(source, options);
    if (c.output_bytes == 0) {
        size_->setText(tr("无法转换该MIDI文件"));
        return;
    }
    if (c.output_bytes > kLimit) {
        // The download would refuse it: said before, in the warning's colour.
        size_->setText(tr("%1 / %2 字节，超出上限").arg(c.output_bytes).arg(kLimit));
        colours.setColor(QPalette::WindowText, kOverLimitColour);
        size_->setPalette(colours);
        cut_->setText(tr("可以选择截短"));
        return;
    }
    size_->setText(tr("%1 / %2 字节").arg(c.output_bytes).arg(kLimit));
    if (c.cut) {
        cut_->setText(tr("已截短：保留%1秒/共%2秒")
                          .arg(seconds_text(c.kept_micros), seconds_text(c.total_micros)));
    }
}

void MelodyPanel::play() {
    const std::string source = selection_.source();
    if (source.empty()) {
        return;
    }
    player_.close();
    if (!player_.open(source)) {
        QApplication::beep();
        show_player_failure();
        return;
    }
    if (start_percent_ > 0) {
        player_.seek(play_position_ms(start_percent_, player_.length_ms()));
    }
    if (!player_.play()) {
        return;  // a failed play leaves the panel idle, silently
    }
    timer_.start();
    hold_buttons_(true);
    play_->setEnabled(false);
    stop_->setEnabled(true);
}

void MelodyPanel::tick() {
    const uint32_t length = player_.length_ms();
    const uint32_t position = player_.position_ms();
    if (!slider_->isSliderDown()) {
        // While the user drags, the thumb and the time text are theirs.
        slider_->setValue(play_percent(position, length));
        time_->setText(QString::fromStdString(play_time_text(length)));
    }
    if (position >= length || !player_.playing()) {
        stop();
    }
}

void MelodyPanel::stop() {
    hold_buttons_(false);
    if (player_.is_open() && player_.stop()) {
        player_.seek_to_start();
        slider_->setValue(0);
        start_percent_ = 0;
        player_.close();
        play_->setEnabled(true);
        stop_->setEnabled(true);
        // Another melody may have been chosen while this one played.
        show_source_length();
    }
    timer_.stop();
}

void MelodyPanel::slider_moved(int percent) {
    if (player_.is_open()) {
        time_->setText(
            QString::fromStdString(play_time_text(play_position_ms(percent, player_.length_ms()))));
    }
}

void MelodyPanel::slider_released() {
    if (!player_.is_open()) {
        start_percent_ = slider_->value();
        return;
    }
    const uint32_t length = player_.length_ms();
    player_.seek(play_position_ms(slider_->value(), length));
    time_->setText(QString::fromStdString(play_time_text(length)));
}

void MelodyPanel::keyPressEvent(QKeyEvent *event) {
    event->ignore();
}

}  // namespace zemlo::shell
