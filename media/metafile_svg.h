// Windows metafiles (EMF and WMF) translated to SVG text, with the natural size each one
// states. EMF goes through libemf2svg, WMF through libwmf's SVG device.
#pragma once

#include <QByteArray>
#include <optional>
#include <string>

namespace zemlo::media {

enum class MetafileKind { Emf, Wmf };

inline constexpr int kMetafileSniffBytes = 44;

// Recognises a metafile from its first bytes (at least kMetafileSniffBytes for an EMF).
std::optional<MetafileKind> sniff_metafile(const QByteArray &head);

struct MetafileSvg {
    QByteArray svg;
    int width = 0;  // natural size, HIMETRIC
    int height = 0;
    std::string error;  // non-empty when the metafile cannot be used
};

MetafileSvg emf_to_svg(const QByteArray &bytes);
MetafileSvg wmf_to_svg(const QByteArray &bytes);

// The WMF reader does not start without the Type 1 fonts it draws text with, which its Debian
// package only recommends; it looks for them by these names in this folder.
inline constexpr const char *kWmfFontFolder = "/usr/share/fonts/type1/urw-base35";
inline constexpr const char *kWmfFontPackage = "fonts-urw-base35";

// Empty when every font the WMF reader looks for is in font_folder; otherwise the error to show
// when the reader fails, which says that the fonts are missing and names their package.
std::string wmf_font_problem(const std::string &font_folder = kWmfFontFolder);

}  // namespace zemlo::media
