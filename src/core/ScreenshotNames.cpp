#include "core/ScreenshotNames.h"

#include "core/TextFolding.h"

#include <QStringList>

#include <algorithm>

namespace {

// Words in an application's name that make its copied images screenshots, tested in this order.
const QStringList kSourceWords{
    QStringLiteral("screenshot"), QStringLiteral("screen shot"), QStringLiteral("screen capture"),
    QStringLiteral("screencapture"), QStringLiteral("snimka obrazovky"),
};

// How the saved files of the desktop's screenshot tools (and the common third-party one) begin.
const QStringList kFilePrefixes{
    QStringLiteral("screenshot"), QStringLiteral("screen shot"), QStringLiteral("screen capture"),
    QStringLiteral("snimka obrazovky"), QStringLiteral("cleanshot"),
};

const QStringList kImageExtensions{
    QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
    QStringLiteral("heic"), QStringLiteral("tif"), QStringLiteral("tiff"),
};

} // namespace

namespace ScreenshotNames {

bool isScreenshotSource(const QString &sourceApp)
{
    if (sourceApp.isEmpty())
        return false;
    const QString name = TextFolding::folded(sourceApp);
    return std::any_of(kSourceWords.cbegin(), kSourceWords.cend(),
                       [&name](const QString &word) { return name.contains(word); });
}

bool isScreenshotFileName(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0 || !kImageExtensions.contains(fileName.mid(dot + 1), Qt::CaseInsensitive))
        return false;
    const QString base = TextFolding::folded(fileName.left(dot));
    return std::any_of(kFilePrefixes.cbegin(), kFilePrefixes.cend(),
                       [&base](const QString &prefix) { return base.startsWith(prefix); });
}

} // namespace ScreenshotNames
