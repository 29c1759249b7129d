#include "ui/quickaccess/QuickImageExport.h"

#include "core/Logging.h"
#include "ui/tools/EntryImageLoader.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

namespace QuickImageExport {

namespace {

bool isJpeg(QuickImageAction format)
{
    return format == QuickImageAction::SaveJPG;
}

bool readsAsImage(QImageReader &reader)
{
    return reader.canRead() && reader.size().isValid();
}

bool fileReadsAsImage(const QString &path)
{
    // Even the headers of a pipe would block this thread until someone writes to it.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QImageReader reader(path);
    return readsAsImage(reader);
}

} // namespace

bool hasImage(const ClipboardEntry &entry, const std::optional<EntryImageBytes> &store)
{
    if (entry.imageData) {
        QByteArray bytes = *entry.imageData;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        if (readsAsImage(reader))
            return true;
    }
    // A stored file outside the image store is never opened, as when it is saved.
    if (entry.imageFilePath && (!store || store->isStoreFile(*entry.imageFilePath)) && fileReadsAsImage(*entry.imageFilePath))
        return true;
    if (entry.screenshotFileURL && fileReadsAsImage(*entry.screenshotFileURL))
        return true;
    return false;
}

std::optional<QByteArray> encoded(const QImage &image, QuickImageAction format)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool ok = isJpeg(format) ? image.save(&buffer, "JPEG", kJpegQuality) : image.save(&buffer, "PNG");
    if (!ok || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

QString proposedName(const ClipboardEntry &entry, QuickImageAction format)
{
    return QStringLiteral("Tarnel-") + entry.id.left(8) + (isJpeg(format) ? QStringLiteral(".jpg") : QStringLiteral(".png"));
}

QString fileFilter(QuickImageAction format)
{
    return isJpeg(format) ? QStringLiteral("JPEG (*.jpg *.jpeg)") : QStringLiteral("PNG (*.png)");
}

bool write(const QByteArray &bytes, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcUi) << "Could not save the image:" << file.errorString();
        return false;
    }
    return true;
}

bool save(const ClipboardEntry &entry, QuickImageAction format, const QString &path,
          const std::optional<EntryImageBytes> &store)
{
    const std::optional<QByteArray> bytes = encoded(EntryImageLoader::load(entry, store), format);
    if (!bytes) {
        qCWarning(lcUi) << "Image entry has no readable image to save";
        return false;
    }
    return write(*bytes, path);
}

} // namespace QuickImageExport
