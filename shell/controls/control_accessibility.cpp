#include "control_accessibility.h"

#include "frame_animation_static.h"
#include "icon_button.h"
#include "link_state_icon.h"
#include "shaded_slider.h"
#include "space_gauge.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <mutex>

namespace zemlo::shell {

namespace {

// A caption's text without its mnemonic marks: "&&" is a literal ampersand.
QString without_mnemonics(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += text.at(i);
    }
    return out;
}

class ButtonAccessible : public QAccessibleWidget {
  public:
    explicit ButtonAccessible(IconButton *button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            const QString caption = without_mnemonics(button()->text());
            return caption.isEmpty() ? widget()->toolTip() : caption;
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        return s;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled()) {
            names.prepend(pressAction());
        }
        return names;
    }

    void doAction(const QString &action) override {
        if (action == pressAction() && widget()->isEnabled()) {
            button()->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    IconButton *button() const { return static_cast<IconButton *>(widget()); }
};

class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit SliderAccessible(ShadedSlider *slider)
        : QAccessibleWidget(slider, QAccessible::Slider) {}

    void *interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface *>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return QString::number(slider()->value());
        }
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant &value) override { slider()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

  private:
    ShadedSlider *slider() const { return static_cast<ShadedSlider *>(widget()); }
};

class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit GaugeAccessible(SpaceGauge *gauge)
        : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void *interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface *>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        const bool named = !widget()->accessibleName().isEmpty();
        switch (t) {
            case QAccessible::Name:
                return named ? QAccessibleWidget::text(t) : gauge()->tip_text();
            // The value in words is the figures the tooltip shows (used and free bytes, or not
            // connected); the share in per cent is its description and its numeric value.
            case QAccessible::Value:
                return gauge()->tip_text();
            case QAccessible::Description:
                return gauge()->used_percent_text();
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QVariant currentValue() const override { return gauge()->used_percent(); }
    // The gauge shows what the handset reports; nothing sets it from outside.
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    SpaceGauge *gauge() const { return static_cast<SpaceGauge *>(widget()); }
};

class LinkStateAccessible : public QAccessibleWidget {
  public:
    explicit LinkStateAccessible(LinkStateIcon *icon)
        : QAccessibleWidget(icon, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            // The window keeps the state in words in the label's text ("   COM3已连接"), which
            // is not drawn: the icon shows it instead.
            return static_cast<LinkStateIcon *>(widget())->text().trimmed();
        }
        return QAccessibleWidget::text(t);
    }
};

template <typename Control, typename Interface>
QAccessibleInterface *make_if(const QString &key, QObject *object) {
    if (key != QLatin1String(Control::staticMetaObject.className())) {
        return nullptr;
    }
    if (auto *control = qobject_cast<Control *>(object)) {
        return new Interface(control);
    }
    return nullptr;
}

QAccessibleInterface *control_interface(const QString &key, QObject *object) {
    if (QAccessibleInterface *i = make_if<IconButton, ButtonAccessible>(key, object)) {
        return i;
    }
    if (QAccessibleInterface *i = make_if<ShadedSlider, SliderAccessible>(key, object)) {
        return i;
    }
    if (QAccessibleInterface *i = make_if<SpaceGauge, GaugeAccessible>(key, object)) {
        return i;
    }
    if (QAccessibleInterface *i = make_if<LinkStateIcon, LinkStateAccessible>(key, object)) {
        return i;
    }
    if (key == QLatin1String(FrameAnimationStatic::staticMetaObject.className())) {
        if (auto *w = qobject_cast<FrameAnimationStatic *>(object)) {
            return new QAccessibleWidget(w, QAccessible::Animation);
        }
    }
    return nullptr;
}

}  // namespace

void install_control_accessibility() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(control_interface); });
}

}  // namespace zemlo::shell
