#include "core/StoredFilePath.h"

namespace StoredFilePath {

QUrl url(const QString &storedPath)
{
    if (storedPath.startsWith(QLatin1String("file:///")))
        return QUrl::fromEncoded(storedPath.toLatin1(), QUrl::StrictMode);
    // A path that starts with two slashes names the same file as with one, but a file URL made
    // from it would name a host instead.
    qsizetype extra = 0;
    while (extra + 1 < storedPath.size() && storedPath.at(extra) == u'/' && storedPath.at(extra + 1) == u'/')
        ++extra;
    return QUrl::fromLocalFile(storedPath.mid(extra));
}

} // namespace StoredFilePath
