// The melody panel: plays the chosen MIDI file on the PC ("播放时间" with the whole length, a
// slider that follows the position once a second and seeks where it is dragged, play and stop) and
// converts it into the handset melody file on download. Before the download it shows the size
// the conversion gives against the handset's limit, and offers to cut a melody that is too long
// (how many seconds remain of how many). While a melody plays the main window's command buttons
// are held disabled; stopping gives them back.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "melody_selection.h"
#include "message_boxes.h"
#include "midi_player.h"

class QCheckBox;
class QLabel;

namespace zemlo::shell {

struct BaseUnits;
class IconButton;
class ShadedSlider;

class MelodyPanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kPanelWidthDu = 117;
    static constexpr int kPanelHeightDu = 158;
    static constexpr int kTickMs = 1000;

    // hold_buttons(true) disables the main window's buttons, hold_buttons(false) restores them.
    MelodyPanel(const BaseUnits &base, BoxAnswerer *answerer,
                std::function<void(bool playing)> hold_buttons, QWidget *parent);
    ~MelodyPanel() override;

    // The chosen melody; the time text shows its length at once (unless another one plays).
    int set_melody_source(const std::string &path);
    // Nothing is chosen any more: play does nothing, the time text goes back to "播放时间".
    void clear_source();
    bool convert_selection(const std::string &output, const std::string &source, bool fit);
    // Whether a melody over the handset's limit is to be cut to fit.
    bool fit_chosen() const;
    // Whether the last conversion was refused for a melody that strikes no note.
    bool last_without_notes() const { return selection_.last_conversion().without_notes; }

    void play();
    void stop();
    // One timer tick (the timer calls it every second while playing).
    void tick();

    bool playing() const { return timer_.isActive(); }
    IconButton *play_button() const { return play_; }
    IconButton *stop_button() const { return stop_; }
    ShadedSlider *slider() const { return slider_; }
    QLabel *time_label() const { return time_; }
    QLabel *size_label() const { return size_; }
    QLabel *cut_label() const { return cut_; }
    QCheckBox *fit_box() const { return fit_; }
    // Where the player stands now (0 when no melody is open).
    uint32_t position_ms() const { return player_.position_ms(); }

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    // The time text for the chosen melody while nothing plays: its length, or the bare label
    // when there is none or it cannot be read.
    void show_source_length();
    void show_player_failure();
    // The converted size against the limit, and the cut, for the melody chosen now.
    void show_size();
    void slider_moved(int percent);
    void slider_released();

    media::MelodySelection selection_;
    media::MidiPlayer player_;
    BoxAnswerer *answerer_;
    std::function<void(bool)> hold_buttons_;
    QTimer timer_;
    QLabel *time_;
    ShadedSlider *slider_;
    IconButton *play_;
    IconButton *stop_;
    QLabel *size_;
    QLabel *cut_;
    QCheckBox *fit_;
    // Where the thumb was left while nothing played: the next play starts there.
    int start_percent_ = 0;
};

}  // namespace zemlo::shell
