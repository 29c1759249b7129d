#include "core/StoredFilePath.h"

namespace StoredFilePath {

QUrl url(const QString &storedPath)
{
    if (storedPath.startsWith(QLatin1String("file:///")))
        return QUrl::fromEncoded(storedPath.toLatin1(), QUrl::StrictMode);
    return QUrl::fromLocalFile(storedPath);
}

} // namespace StoredFilePath
