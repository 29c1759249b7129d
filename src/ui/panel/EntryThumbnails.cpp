#include "ui/panel/EntryThumbnails.h"

#include <QBuffer>
#include <QFutureWatcher>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

EntryThumbnails::EntryThumbnails(BytesLoader loader, QObject *parent, int decodedSide)
    : QObject(parent), m_loader(std::move(loader)), m_decodedSide(decodedSide)
{
    if (!m_loader)
        m_loader = [](const ClipboardEntry &entry) { return entry.imageData; };
}

EntryThumbnails::~EntryThumbnails() = default;

EntryThumbnails::BytesLoader EntryThumbnails::reading(EntryImageBytes bytes)
{
    return [bytes = std::move(bytes)](const ClipboardEntry &entry) { return bytes.read(entry); };
}

EntryThumbnails::Picture EntryThumbnails::decodePicture(const QByteArray &bytes, int side)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // Decoding at the drawn size keeps a large screenshot from costing its full pixel count.
    QSize size = reader.size();
    if (size.isValid() && (size.width() > side || size.height() > side))
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    Picture picture;
    picture.image = reader.read();
    if (picture.image.isNull())
        return {};
    if (!size.isValid())
        size = picture.image.size();
    else if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    picture.fullSize = size;
    return picture;
}

QImage EntryThumbnails::decode(const QByteArray &bytes, int side)
{
    return decodePicture(bytes, side).image;
}

std::optional<EntryThumbnails::Picture> EntryThumbnails::picture(const ClipboardEntry &entry)
{
    if (entry.kind != ClipboardKind::Image)
        return Picture{};
    if (const auto hit = m_pictures.constFind(entry.id); hit != m_pictures.cend())
        return *hit;
    if (!m_pending.contains(entry.id)) {
        m_pending.insert(entry.id);
        m_waiting.append(entry);
        startWaiting();
    }
    return std::nullopt;
}

QImage EntryThumbnails::thumbnail(const ClipboardEntry &entry)
{
    const std::optional<Picture> found = picture(entry);
    return found ? found->image : QImage();
}

void EntryThumbnails::startWaiting()
{
    while (m_running < kMaxRunning && !m_waiting.isEmpty()) {
        const ClipboardEntry entry = m_waiting.takeFirst();
        ++m_running;
        // Owned by this object: destroying it destroys the watcher, and the worker's result
        // then has no one to reach.
        auto *watcher = new QFutureWatcher<Picture>(this);
        connect(watcher, &QFutureWatcher<Picture>::finished, this, [this, watcher, id = entry.id] {
            watcher->deleteLater();
            const QFuture<Picture> future = watcher->future();
            finish(id, future.resultCount() > 0 ? future.result() : Picture{});
        });
        // The worker holds copies only: the loader, the entry and the side.
        watcher->setFuture(QtConcurrent::run([loader = m_loader, entry, side = m_decodedSide] {
            const std::optional<QByteArray> bytes = loader(entry);
            return bytes ? decodePicture(*bytes, side) : Picture{};
        }));
    }
}

void EntryThumbnails::finish(const QString &entryID, const Picture &picture)
{
    --m_running;
    m_pending.remove(entryID);
    m_pictures.insert(entryID, picture);
    m_order.append(entryID);
    while (m_order.size() > kCapacity)
        m_pictures.remove(m_order.takeFirst());
    // The next decode starts before the news goes out, so the pool stays busy while views paint.
    startWaiting();
    if (!picture.image.isNull())
        Q_EMIT ready(entryID);
}
