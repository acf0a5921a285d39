#include "slider_keys.h"

namespace zemlo::shell {

QAbstractSlider::SliderAction slider_key_action(int key) {
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            return QAbstractSlider::SliderSingleStepSub;
        case Qt::Key_Right:
        case Qt::Key_Up:
            return QAbstractSlider::SliderSingleStepAdd;
        case Qt::Key_PageUp:
            return QAbstractSlider::SliderPageStepAdd;
        case Qt::Key_PageDown:
            return QAbstractSlider::SliderPageStepSub;
        case Qt::Key_Home:
            return QAbstractSlider::SliderToMinimum;
        case Qt::Key_End:
            return QAbstractSlider::SliderToMaximum;
        default:
            return QAbstractSlider::SliderNoAction;
    }
}

}  // namespace zemlo::shell
