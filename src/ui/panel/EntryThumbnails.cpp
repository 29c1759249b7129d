#include "ui/panel/EntryThumbnails.h"

#include <QBuffer>
#include <QFutureWatcher>
#include <QImageReader>
#include <QtConcurrent>

EntryThumbnails::EntryThumbnails(BytesLoader loader, QObject *parent) : QObject(parent), m_loader(std::move(loader))
{
    if (!m_loader)
        m_loader = [](const ClipboardEntry &entry) { return entry.imageData; };
}

EntryThumbnails::~EntryThumbnails() = default;

QImage EntryThumbnails::decode(const QByteArray &bytes, int side)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Decoding at the drawn size keeps a large screenshot from costing its full pixel count.
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > side || full.height() > side))
        reader.setScaledSize(full.scaled(side, side, Qt::KeepAspectRatio));
    return reader.read();
}

QImage EntryThumbnails::thumbnail(const ClipboardEntry &entry)
{
    if (entry.kind != ClipboardKind::Image)
        return {};
    if (const auto hit = m_images.constFind(entry.id); hit != m_images.cend())
        return *hit;
    if (m_pending.contains(entry.id) || m_undecodable.contains(entry.id))
        return {};
    m_pending.insert(entry.id);
    auto *watcher = new QFutureWatcher<QImage>(this);
    const QString id = entry.id;
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, id] {
        watcher->deleteLater();
        m_pending.remove(id);
        const QImage image = watcher->result();
        if (image.isNull()) {
            m_undecodable.insert(id);
            return;
        }
        m_images.insert(id, image);
        m_order.append(id);
        while (m_order.size() > kCapacity)
            m_images.remove(m_order.takeFirst());
        Q_EMIT ready(id);
    });
    watcher->setFuture(QtConcurrent::run([loader = m_loader, entry] {
        const std::optional<QByteArray> bytes = loader(entry);
        return bytes ? decode(*bytes) : QImage();
    }));
    return {};
}
