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

class PictureArea : public QWidget {
    Q_OBJECT
  public:
    PictureArea(media::PictureSelection &selection, std::mutex &mutex, QWidget *parent);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    media::PictureSelection &selection_;
    std::mutex &mutex_;
};

class PicturePanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kPanelWidthDu = 111;
    static constexpr int kPanelHeightDu = 178;

    PicturePanel(const BaseUnits &base, media::PictureFolders folders, QWidget *parent);

    // Loads the picture; false when it cannot be decoded (the area then shows black).
    bool show_picture(const std::string &path);
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
