#pragma once

#include "core/ClipboardEntry.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>

#include <functional>
#include <optional>

// Small pictures of image entries for lists, decoded off the main thread and kept by entry id.
// A list asks for a thumbnail while painting; the first ask starts the decode and answers a null
// image (the row shows its photo tile), and `ready` tells when the picture is there. Bytes that
// are not an image are remembered as such and never decoded again.
class EntryThumbnails : public QObject
{
    Q_OBJECT
public:
    // Reads an entry's image bytes; runs on a worker thread, so it must touch only files and
    // the entry it is given (ClipboardModel::imageData does).
    using BytesLoader = std::function<std::optional<QByteArray>(const ClipboardEntry &)>;

    // Pixels of the longer side the pictures are decoded to (thumbnails are drawn at 32 points,
    // twice that on high-density screens).
    static constexpr int kDecodedSide = 64;
    // Beyond this many pictures the oldest are dropped (and decoded again when asked for).
    static constexpr int kCapacity = 600;

    explicit EntryThumbnails(BytesLoader loader = {}, QObject *parent = nullptr);
    ~EntryThumbnails() override;

    QImage thumbnail(const ClipboardEntry &entry);
    bool isPending(const QString &entryID) const { return m_pending.contains(entryID); }
    // Decoded synchronously, for tests and pictures.
    static QImage decode(const QByteArray &bytes, int side = kDecodedSide);

Q_SIGNALS:
    void ready(const QString &entryID);

private:
    BytesLoader m_loader;
    QHash<QString, QImage> m_images;
    QList<QString> m_order;
    QSet<QString> m_pending;
    QSet<QString> m_undecodable;
};
