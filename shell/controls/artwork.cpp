#include "artwork.h"

#include "artwork_icon_engine.h"
#include "zemlo_resources.h"

#include <QFile>
#include <QSvgRenderer>
#include <memory>

namespace zemlo::shell {

namespace {

// The pixmaps drawn of each icon's document, shared by every icon made from it.
std::shared_ptr<ArtworkIconEngine::Drawn> drawn_of(Icon icon) {
    static std::array<std::shared_ptr<ArtworkIconEngine::Drawn>, kIconArtwork.size()> drawn;
    const auto index = static_cast<std::size_t>(icon);
    if (index >= drawn.size()) {
        return nullptr;
    }
    if (!drawn[index]) {
        drawn[index] = std::make_shared<ArtworkIconEngine::Drawn>();
    }
    return drawn[index];
}

// Each icon's document, read the first time it is asked for (on the window thread, as every
// icon is drawn there); nothing for an icon whose file is missing.
std::shared_ptr<QSvgRenderer> document_of(Icon icon) {
    static std::array<std::shared_ptr<QSvgRenderer>, kIconArtwork.size()> documents;
    static std::array<bool, kIconArtwork.size()> read{};
    const auto index = static_cast<std::size_t>(icon);
    if (index >= documents.size()) {
        return nullptr;
    }
    if (!read[index]) {
        read[index] = true;
        zemlo::resources::ensure_loaded();
        const QString path = icon_resource_path(icon);
        if (QFile::exists(path)) {
            auto document = std::make_shared<QSvgRenderer>(path);
            if (document->isValid()) {
                documents[index] = std::move(document);
            }
        }
    }
    return documents[index];
}

}  // namespace

QString icon_resource_path(Icon icon) {
    return QStringLiteral(":/icons/%1.svg").arg(icon_art(icon).file_number);
}

QIcon load_icon(Icon icon) {
    std::shared_ptr<QSvgRenderer> document = document_of(icon);
    if (!document) {
        return {};
    }
    return QIcon(new ArtworkIconEngine(std::move(document), drawn_of(icon)));
}

QSize icon_natural_size(Icon icon) {
    const std::shared_ptr<QSvgRenderer> document = document_of(icon);
    return document ? document->defaultSize() : QSize();
}

void draw_icon_ahead(Icon icon, QSize size, qreal ratio) {
    load_icon(icon).pixmap(size, ratio, QIcon::Normal);
}

void read_artwork() {
    for (const IconArt &art : kIconArtwork) {
        document_of(art.icon);
    }
}

}  // namespace zemlo::shell
