#pragma once

#include <QByteArray>
#include <QStringList>

// The files a copied text/uri-list names.
namespace X11UriList {

// Local paths of a text/uri-list; empty unless every URL in it is a local file URL. A path
// whose name is not UTF-8 stays a "file:///" URL, percent-encoded byte for byte.
QStringList filePaths(const QByteArray &uriList);

} // namespace X11UriList
