#pragma once

#include <QString>
#include <QUrl>

// A copied file's path as the history keeps it. A name that is not UTF-8 has no text form that
// leads back to it, so such a path is kept as its percent-encoded file URL, which holds the
// name's very bytes; every other path is kept as plain text.
namespace StoredFilePath {

// The URL that names the stored path's file, whichever form it was kept in.
QUrl url(const QString &storedPath);

} // namespace StoredFilePath
