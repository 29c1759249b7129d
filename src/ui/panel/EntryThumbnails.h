#pragma once

#include "core/ClipboardEntry.h"
#include "core/EntryImageBytes.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSize>

#include <functional>
#include <optional>

// Pictures of image entries for the views that show many of them (the lists, Quick Access and
// the gallery), read and decoded off the main thread and kept by entry id. A view asks while it
// builds or paints; the first ask queues the work and answers nothing (the view shows its
// placeholder), and `ready` tells when the picture is there. At most kMaxRunning decodes run at
// once, the rest wait in the order asked, so a long history never floods the shared thread pool.
// Each result comes back through a watcher this object owns: once the object is gone, its
// results go nowhere and its waiting work is never started. Bytes that are no image are
// remembered as such and not decoded again.
class EntryThumbnails : public QObject
{
    Q_OBJECT
public:
    // Reads an entry's image bytes on a worker thread, so it must hold only values and touch
    // only files (EntryImageBytes::read does); it may run after this object is gone.
    using BytesLoader = std::function<std::optional<QByteArray>(const ClipboardEntry &)>;
    // A loader reading with its own copy of the model's reader (ClipboardModel::imageBytes()).
    static BytesLoader reading(EntryImageBytes bytes);

    struct Picture {
        QImage image;   // null when the bytes are no image
        QSize fullSize; // the image's own size, as shown; empty when unknown
    };

    // Pixels of the longer side the list pictures are decoded to (thumbnails are drawn at 32
    // points, twice that on high-density screens).
    static constexpr int kDecodedSide = 64;
    // Beyond this many pictures the oldest are dropped (and decoded again when asked for); above
    // the largest history, so a view that shows every image never decodes one twice.
    static constexpr int kCapacity = 600;
    // Decodes of one object running at the same time.
    static constexpr int kMaxRunning = 2;

    // An empty loader takes the bytes the entry holds in memory.
    explicit EntryThumbnails(BytesLoader loader = {}, QObject *parent = nullptr, int decodedSide = kDecodedSide);
    ~EntryThumbnails() override;

    // The picture, or nothing while it is being made. An entry that is no image has a picture
    // with a null image.
    std::optional<Picture> picture(const ClipboardEntry &entry);
    // The picture's image; null while it is being made and for bytes that are no image.
    QImage thumbnail(const ClipboardEntry &entry);
    // Waiting or being decoded.
    bool isPending(const QString &entryID) const { return m_pending.contains(entryID); }

    // Decoded on the calling thread (the worker's step; also for tests and pictures), scaled to
    // at most `side` pixels on the longer side and turned as the image's orientation says.
    static Picture decodePicture(const QByteArray &bytes, int side = kDecodedSide);
    static QImage decode(const QByteArray &bytes, int side = kDecodedSide);

Q_SIGNALS:
    // A picture with an image is there for the entry (bytes that are no image announce nothing).
    void ready(const QString &entryID);

private:
    void startWaiting();
    void finish(const QString &entryID, const Picture &picture);

    BytesLoader m_loader;
    int m_decodedSide = kDecodedSide;
    QHash<QString, Picture> m_pictures;
    QList<QString> m_order;
    QList<ClipboardEntry> m_waiting;
    QSet<QString> m_pending;
    int m_running = 0;
};
