#include "ui/library/GalleryImages.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

GalleryImages::GalleryImages(BytesLoader loader, QObject *parent)
    : QObject(parent), m_loader(std::move(loader))
{
}

GalleryImages::~GalleryImages() = default;

GalleryImages::Picture GalleryImages::decode(const QByteArray &bytes, int side)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    Picture picture;
    QSize size = reader.size();
    if (size.isValid() && (size.width() > side || size.height() > side))
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    picture.image = reader.read();
    if (picture.image.isNull())
        return {};
    if (!size.isValid())
        size = picture.image.size();
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    picture.fullSize = size;
    return picture;
}

std::optional<GalleryImages::Picture> GalleryImages::picture(const ClipboardEntry &entry)
{
    const auto found = m_pictures.constFind(entry.id);
    if (found != m_pictures.constEnd())
        return *found;
    if (m_pending.contains(entry.id))
        return std::nullopt;
    m_pending.insert(entry.id);
    const BytesLoader loader = m_loader;
    const QPointer<GalleryImages> self(this);
    // The result is handed back on the main thread through the queued call below.
    (void)QtConcurrent::run([loader, entry, self] {
        const std::optional<QByteArray> bytes = loader ? loader(entry) : std::nullopt;
        Picture picture = bytes ? decode(*bytes) : Picture{};
        QMetaObject::invokeMethod(
            qApp, [self, id = entry.id, picture] {
                if (!self)
                    return;
                self->m_pending.remove(id);
                self->m_pictures.insert(id, picture);
                Q_EMIT self->ready(id);
            },
            Qt::QueuedConnection);
    });
    return std::nullopt;
}
