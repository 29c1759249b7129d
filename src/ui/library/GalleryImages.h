#pragma once

#include "core/ClipboardEntry.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>

#include <functional>
#include <optional>

// The pictures of the gallery cards: each image entry's bytes read and decoded off the main
// thread, scaled to at most kDecodedSide pixels on the longer side, kept by entry id together
// with the image's own size (for the card's proportions). A first ask answers nothing and starts
// the work; `ready` tells when it is done. Bytes that are no image are remembered as such.
class GalleryImages : public QObject {
    Q_OBJECT
public:
    using BytesLoader = std::function<std::optional<QByteArray>(const ClipboardEntry &)>;
    static constexpr int kDecodedSide = 320;

    struct Picture {
        QImage image;    // null when the bytes are no image
        QSize fullSize;  // the image's own size; empty when unknown
    };

    explicit GalleryImages(BytesLoader loader, QObject *parent = nullptr);
    ~GalleryImages() override;

    // The decoded picture, or nothing while it is being made.
    std::optional<Picture> picture(const ClipboardEntry &entry);
    // Decodes on the calling thread (the worker's step; also for tests).
    static Picture decode(const QByteArray &bytes, int side = kDecodedSide);

Q_SIGNALS:
    void ready(const QString &entryID);

private:
    BytesLoader m_loader;
    QHash<QString, Picture> m_pictures;
    QSet<QString> m_pending;
};
