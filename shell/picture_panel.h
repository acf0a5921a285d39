// The picture panel: the chosen picture as the handset will show it, in the 122 x 126 drawing
// area of a 128 x 132 picture box, fitted ("平铺") or stretched ("拉伸"). What the screen shows is
// what media/ draws, and every drawing after a load or an effect change rewrites the capture
// that the next picture download converts.
#pragma once

#include <QWidget>
#include <mutex>
#include <string>

#include "picture_selection.h"

class QComboBox;

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
    // What the area says without a picture ("未选择图片", or that the file could not be read);
    // empty while a picture shows.
    QString status_text() const;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    media::PictureSelection &selection_;
    std::mutex &mutex_;
    bool unreadable_ = false;
};

class PicturePanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kPanelWidthDu = 111;
    static constexpr int kPanelHeightDu = 178;

    PicturePanel(const BaseUnits &base, media::PictureFolders folders, QWidget *parent);

    // Loads the picture; false when it cannot be decoded (the area then says so).
    bool show_picture(const std::string &path);
    // Nothing is chosen any more: the area goes back to "未选择图片" and the capture of the
    // picture before is dropped, so nothing of it is shown or sent.
    void clear_picture();
    // Converts the last capture into the handset picture file (any thread).
    bool convert_selection(const std::string &output_path, const std::string &source_path);

    QComboBox *effect_box() const { return effect_; }
    PictureArea *area() const { return area_; }
    bool captured() const;
    bool has_picture() const;
    std::string last_error() const;

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void effect_changed(int index);

    // The conversion on the download worker reads the folders while the window thread draws.
    mutable std::mutex mutex_;
    media::PictureSelection selection_;
    QComboBox *effect_;
    PictureArea *area_;
};

}  // namespace zemlo::shell
