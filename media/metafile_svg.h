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

}  // namespace zemlo::media
