// The picture panel: the chosen picture as the handset will show it, in the 122 x 126 drawing
// area of a 128 x 132 picture box, fitted ("平铺"), stretched ("拉伸") or covering the screen
// ("填满"), framed by hand (the mouse wheel and +/- zoom, a drag and the arrows move the photo
// under the screen, 0 or a double click starts again) and, when asked, dithered. What the screen
// shows is what media/ draws, and every drawing after a change rewrites the capture that the next
// picture download converts. Pictures are decoded on a thread of the panel's own, the newest
// choice winning, so clicking through a folder of large photos never waits for one.
#pragma once

#include <QPointF>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "hand_frame.h"
#include "picture_choice.h"
#include "picture_decode_worker.h"
#include "picture_selection.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace zemlo::shell {

struct BaseUnits;

// How much the picture box is enlarged or reduced on a panel laid out from a font other than the
// normal one: the largest of 2, 1.5, 1 and 0.5 at which the 128 x 132 box fits the room (a box
// that would not fit even at 0.5 still gets 0.5). Half steps keep the handset's pixels in whole
// screen pixels at the usual scale factors.
double picture_box_scale(QSize room);

class PictureArea : public QWidget {
    Q_OBJECT
  public:
    PictureArea(media::PictureSelection &selection, std::mutex &mutex, QWidget *parent);

    // What the black area says without a picture: nothing chosen, or a file that was chosen but
    // could not be read.
    void set_unreadable(bool unreadable);
    bool unreadable() const { return unreadable_; }
    // What the area says without a picture ("未选择图片", that the file is being read, or that it
    // could not be read); empty while a picture shows.
    QString status_text() const;
    // The box's scale (picture_box_scale): screen pixels per pixel of the handset.
    double box_scale() const;
    // A point of the widget in the drawing area's pixels.
    QPointF area_point(QPointF widget_point) const;

  signals:
    // The photo zoomed by factor, about a point of the drawing area (none: about its centre).
    void zoom_asked(double factor, std::optional<QPointF> at);
    // The photo moved by this many pixels of the drawing area.
    void move_asked(QPointF by);
    void reset_asked();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    bool has_picture() const;

    media::PictureSelection &selection_;
    std::mutex &mutex_;
    bool unreadable_ = false;
    std::optional<QPointF> drag_from_;
    int wheel_rest_ = 0;  // a wheel's turn not yet a whole step (fine-grained wheels, touchpads)
};

class PicturePanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kPanelWidthDu = 111;
    static constexpr int kPanelHeightDu = 178;
    // One step of the wheel or of + and -.
    static constexpr double kZoomStep = 1.25;
    // One press of an arrow, in pixels of the handset's screen.
    static constexpr double kArrowStep = 6;

    PicturePanel(const BaseUnits &base, media::PictureFolders folders, QWidget *parent);
    ~PicturePanel() override;

    // Starts reading the picture and returns at once; the area says it is being read, then shows
    // the picture (or says it cannot be read). The frame chosen for this file before comes back.
    void show_picture(const std::string &path);
    // Nothing is chosen any more: the area goes back to "未选择图片" and the capture of the
    // picture before is dropped, so nothing of it is shown or sent.
    void clear_picture();
    // Converts the picture shown with choice into the handset picture file: the capture of what
    // is shown when the file and the choice are those on show, otherwise the file drawn apart
    // (another file of a download of several). Window thread.
    bool convert_picture(const std::string &output_path, const std::string &source,
                         const media::PictureChoice &choice);
    // The choice for a file: the effect and the dither of the panel, with the frame chosen for
    // that file under that effect (none when the file was never framed).
    media::PictureChoice choice_for(const std::string &path) const;

    // Framing by hand, as the mouse and the keys do it; nothing while no picture is shown.
    void zoom(double factor, std::optional<QPointF> area_point = std::nullopt);
    void move_photo(QPointF area_pixels);
    void reset_frame();

    QComboBox *effect_box() const { return effect_; }
    QCheckBox *dither_box() const { return dither_; }
    QLabel *zoom_label() const { return zoom_label_; }
    PictureArea *area() const { return area_; }
    bool captured() const;
    bool has_picture() const;
    // No decode is wanted any more: what is shown is final (or the file could not be read).
    bool settled() const;
    // The frame on show, as the command line's --crop takes it (nothing: the effect alone).
    std::optional<media::PixelRect> crop() const;
    std::string path() const;
    std::string last_error() const;
    media::PictureDecodeWorker::Counts decode_counts() const { return decoder_->counts(); }

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    struct Frames {
        // The frame and the crop it makes, per effect.
        std::array<std::optional<std::pair<media::HandFrame, media::PixelRect>>, 3> by_effect;
    };

    void effect_changed(int index);
    void dither_changed(bool on);
    // The choice for the file on show into the selection, and its decode asked for.
    void apply_choice();
    void submit(const std::optional<media::DecodeRequest> &request);
    // On the window thread: a decode has ended.
    void decoded(const media::DecodeRequest &request, media::DecodeResult result);
    // Changes the frame of the picture on show (window thread).
    void edit_frame(const std::function<media::HandFrame(const media::FrameBasis &,
                                                         const media::HandFrame &)> &change);
    media::DisplayEffect effect() const;
    void show_zoom();

    // The conversion and the decoder's results meet the drawing here; all on the window thread
    // now, the lock stays for whoever converts from another.
    mutable std::mutex mutex_;
    media::PictureSelection selection_;
    QComboBox *effect_;
    QCheckBox *dither_;
    QLabel *zoom_label_;
    PictureArea *area_;
    // Frames chosen by hand, per file, while the program runs (window thread).
    std::map<std::string, Frames> frames_;
    // Last: its thread ends before anything it reports to.
    std::unique_ptr<media::PictureDecodeWorker> decoder_;
};

}  // namespace zemlo::shell
