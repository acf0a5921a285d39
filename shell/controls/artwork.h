// The program's artwork: every icon the windows draw, named, with the file it is drawn from and
// the size it was drawn for. Icons live as ":/icons/<n>.svg", animation frames as
// ":/frames/<n>_<position>.png" (see animation_frames.h). Nothing outside this file knows an
// icon's file number.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <array>

namespace zemlo::shell {

enum class Icon {
    App,         // the window's and the about box's icon
    Play,        // the melody panel's play button
    Stop,        // the melody panel's stop button
    Folder,      // a handset folder
    OpenFolder,  // the handset folder selected now
    Program,     // a program file in the file lists
    Document,    // any other file in the file lists
    PcFolder,    // a folder of the PC's
    Melody,      // the melody panel's note
    Connect,     // the command buttons
    Rename,
    Download,
    Delete,
    Disconnect,
    Disconnected,  // the link state at the lower left
    Connected,
};

struct IconArt {
    Icon icon;
    int file_number;   // ":/icons/<file_number>.svg"
    int drawn_pixels;  // the SVG canvas is drawn_pixels square
};

// clang-format off
inline constexpr std::array kIconArtwork = {
    IconArt{Icon::App,          128, 32},
    IconArt{Icon::Play,         136, 32},
    IconArt{Icon::Stop,         137, 32},
    IconArt{Icon::Folder,       171, 32},
    IconArt{Icon::OpenFolder,   172, 32},
    IconArt{Icon::Program,      173, 32},
    IconArt{Icon::Document,     176, 32},
    IconArt{Icon::PcFolder,     177, 32},
    IconArt{Icon::Melody,       175, 32},
    IconArt{Icon::Connect,      197, 32},
    IconArt{Icon::Rename,       198, 32},
    IconArt{Icon::Download,     199, 32},
    IconArt{Icon::Delete,       200, 32},
    IconArt{Icon::Disconnect,   238, 32},
    IconArt{Icon::Disconnected, 208, 16},
    IconArt{Icon::Connected,    209, 16},
};
// clang-format on

// The row of the table for the icon (every Icon has one: the artwork test walks the table).
constexpr const IconArt &icon_art(Icon icon) {
    for (const IconArt &art : kIconArtwork) {
        if (art.icon == icon) {
            return art;
        }
    }
    return kIconArtwork.front();
}

QString icon_resource_path(Icon icon);
// The icon, or a null icon when its file is missing (or is not a readable SVG). Icons are made
// and drawn on the window thread.
QIcon load_icon(Icon icon);
// The size the icon was drawn for (its SVG canvas), or an empty size when its file is missing.
QSize icon_natural_size(Icon icon);
// Reads every icon's file now rather than when it is first drawn (the window's start does this
// while the font configuration is still being read).
void read_artwork();

// Draws the icon now, at size (in pixels of ratio device pixels each), for every icon made from
// its file to find drawn, in any mode (the other modes are made from this one): the window's start
// draws its command buttons' icons this way while the font configuration is still being read.
void draw_icon_ahead(Icon icon, QSize size, qreal ratio);

}  // namespace zemlo::shell
