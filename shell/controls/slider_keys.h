#pragma once

#include <QAbstractSlider>

namespace zemlo::shell {

// What a key does to the horizontal play-time slider: the arrows step by one, Page Up and Page
// Down by a page (Page Up toward the end, as on every horizontal slider), Home and End go to the
// ends. Other keys: SliderNoAction.
QAbstractSlider::SliderAction slider_key_action(int key);

}  // namespace zemlo::shell
