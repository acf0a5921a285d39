#pragma once

#include "control_tool_tip.h"

#include <QLabel>

#include <cstdint>
#include <memory>

namespace zemlo::shell {

// The handset's media store as a bar: used part red, free part blue, the used share in white.
// Until the first space update it is an ordinary sunken text label.
class SpaceGauge : public QLabel {
    Q_OBJECT
  public:
    static constexpr int kDefaultFontHeight = 12;

    explicit SpaceGauge(QWidget *parent = nullptr);
    ~SpaceGauge() override;

    // Character height of the percentage in pixels.
    void set_font_height(int pixels);
    // Creates or destroys the tooltip with the byte counts.
    void enable_tool_tip(bool on);
    // Stores the counts (total = free = 0: not connected) and repaints.
    void set_space(bool shown, std::int32_t total, std::int32_t free);

    ControlToolTip *tip_window() const { return tip_.get(); }
    QString tip_text() const { return tip_text_; }
    // The used share of the store in whole percent, rounded down, and as the bar prints it
    // ("75%"): 0 and an empty text before the first update or while not connected.
    int used_percent() const;
    QString used_percent_text() const;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    bool shown_ = false;
    std::int32_t total_ = 0;
    std::int32_t free_ = 0;
    QString tip_text_;
    std::unique_ptr<ControlToolTip> tip_;
};

}  // namespace zemlo::shell
