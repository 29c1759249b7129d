#include "ui/panel/EntryThumbnails.h"

#include "core/ImageSizeRule.h"

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

namespace {

// A two-colour image reduced by averaging: each pixel of the result mixes the two colours in the
// share its cell of the source holds, so strokes thinner than a cell come out grey, not as
// the noise of picked pixels.
QImage averagedOneBit(const QImage &source, QSize size)
{
    const QList<QRgb> colours = source.colorTable();
    if (colours.size() < 2 || size.isEmpty())
        return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage bits = source.convertToFormat(QImage::Format_Mono);
    const int width = bits.width();
    const int height = bits.height();
    QList<quint32> ones(qsizetype(size.width()) * size.height(), 0);
    QList<quint32> totals(ones.size(), 0);
    QList<int> column(width);
    for (int x = 0; x < width; ++x)
        column[x] = int(qint64(x) * size.width() / width);
    for (int y = 0; y < height; ++y) {
        const uchar *line = bits.constScanLine(y);
        const qsizetype row = qsizetype(qint64(y) * size.height() / height) * size.width();
        for (int x = 0; x < width; ++x) {
            const qsizetype cell = row + column[x];
            ones[cell] += quint32((line[x >> 3] >> (7 - (x & 7))) & 1);
            ++totals[cell];
        }
    }
    QImage out(size, QImage::Format_ARGB32);
    const QRgb zero = colours.at(0);
    const QRgb one = colours.at(1);
    auto mix = [](int a, int b, quint32 share, quint32 total) {
        return int((quint32(a) * (total - share) + quint32(b) * share) / total);
    };
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const qsizetype cell = qsizetype(y) * size.width() + x;
            const quint32 total = std::max<quint32>(1, totals[cell]);
            const quint32 share = ones[cell];
            line[x] = qRgba(mix(qRed(zero), qRed(one), share, total), mix(qGreen(zero), qGreen(one), share, total),
                            mix(qBlue(zero), qBlue(one), share, total), mix(qAlpha(zero), qAlpha(one), share, total));
        }
    }
    return out;
}

} // namespace

EntryThumbnails::Picture EntryThumbnails::decodePicture(const QByteArray &bytes, int side)
{
    const std::optional<ImageSizeRule::Header> header = ImageSizeRule::header(bytes);
    // A canvas that cannot be decoded within the memory bound gets no picture (the view shows
    // its symbol tile); the entry itself stays.
    if (!header || !ImageSizeRule::isDecodable(*header))
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(ImageSizeRule::kDecodeAllocationLimitMB);
    QSize size = reader.size();
    const bool oneBit = ImageSizeRule::isOneBit(header->pixelFormat);
    const bool larger = size.isValid() && (size.width() > side || size.height() > side);
    // Decoding at the drawn size keeps a large screenshot from costing its full pixel count. A
    // two-colour image decodes whole instead (one bit a pixel) and is averaged down below.
    if (larger && !oneBit)
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    Picture picture;
    picture.image = reader.read();
    if (picture.image.isNull())
        return {};
    if (larger && oneBit) {
        QSize drawn = picture.image.size().scaled(side, side, Qt::KeepAspectRatio);
        picture.image = averagedOneBit(picture.image, drawn.expandedTo(QSize(1, 1)));
    }
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
