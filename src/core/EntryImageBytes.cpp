#include "core/EntryImageBytes.h"

#include "core/ScreenshotStability.h"

#include <QFile>
#include <QFileInfo>

std::optional<QByteArray> EntryImageBytes::read(const ClipboardEntry &entry) const
{
    if (entry.imageData)
        return entry.imageData;
    if (entry.imageFilePath) {
        if (std::optional<QByteArray> bytes = m_store.load(*entry.imageFilePath))
            return bytes;
    }
    if (entry.screenshotFileURL)
        return readScreenshotFile(*entry.screenshotFileURL);
    return std::nullopt;
}

std::optional<QByteArray> EntryImageBytes::readScreenshotFile(const QString &path)
{
    // Only a regular file: opening a pipe or a device would hold this thread until it answered.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    // Only a file the import could have taken: never more than its size ceiling in memory.
    if (!file.open(QIODevice::ReadOnly) || file.size() > ScreenshotStability::kMaxFileBytes)
        return std::nullopt;
    QByteArray bytes = file.read(ScreenshotStability::kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > ScreenshotStability::kMaxFileBytes)
        return std::nullopt;
    return bytes;
}
