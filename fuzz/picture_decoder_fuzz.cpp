// A picture file's bytes through the decoder the picture panel uses, the format told from the
// content as it is for a file (bmp, gif, jpg and ico through Qt's image readers, emf and wmf
// translated to SVG and drawn with QSvgRenderer), then drawn into the handset's drawing area with
// each display effect, as the preview and the capture draw it, and once more zoomed into a frame
// and dithered.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "picture_choice_area.h"
#include "picture_decoder.h"
#include "picture_drawing.h"
#include "picture_runtime.h"

// Fontconfig keeps its configuration, made when the first metafile text is drawn, until the
// process ends; the leak check at exit would take that for a leak of the last input.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace zemlo::media;
    // Metafiles are drawn only once a QGuiApplication exists; one is made for the whole run.
    static const bool runtime = [] {
        ensure_picture_runtime();
        return picture_runtime_ready();
    }();
    (void)runtime;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const DecodeResult result = decode_picture_bytes(bytes);
    if (!result.picture) {
        return 0;
    }
    for (DisplayEffect effect : {DisplayEffect::Fit, DisplayEffect::Stretch}) {
        (void)draw_picture_area(*result.picture, effect);
    }
    PictureChoice choice;
    choice.effect = DisplayEffect::Cover;
    (void)picture_choice_area(*result.picture, choice);
    choice.framing.zoom = 3;
    choice.dither = true;
    (void)picture_choice_area(*result.picture, choice);
    return 0;
}
