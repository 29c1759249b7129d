#include "platform/x11/X11UriList.h"

#include <QHostInfo>
#include <QStringDecoder>
#include <QUrl>

namespace X11UriList {

namespace {

// The bytes above 0x7F percent-encoded, every other byte as it is: spaces and controls still
// make the URI invalid, as they do when a program sends them.
QByteArray withEightBitBytesEncoded(const QByteArray &uri)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray encoded;
    encoded.reserve(uri.size());
    for (const char c : uri) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            encoded.append(c);
            continue;
        }
        encoded.append('%');
        encoded.append(kHex[byte >> 4]);
        encoded.append(kHex[byte & 0xf]);
    }
    return encoded;
}

} // namespace

QStringList filePaths(const QByteArray &uriList)
{
    QStringList paths;
    const QString localHost = QHostInfo::localHostName();
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        // Some programs send a name's bytes above 0x7F raw, not percent-encoded. QUrl would read
        // them as UTF-8 and put U+FFFD in place of a Latin-1 letter, naming no file; encoded
        // first, they take the road of the percent-encoded ones and keep naming the file.
        const QUrl url = QUrl::fromEncoded(withEightBitBytesEncoded(line), QUrl::StrictMode);
        const QString host = url.host();
        // "file:a.txt" is a local file URL too, but a relative path names nothing once the
        // entry is pasted from another folder.
        if (!url.isValid() || !url.isLocalFile() || !url.path().startsWith(u'/')
            || !(host.isEmpty() || host == u"localhost" || host == localHost))
            return {};
        QByteArray name = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        // "//a" is the file "/a", but a URL made from it would name the host "a".
        while (name.startsWith("//"))
            name.remove(0, 1);
        // A name that is not UTF-8 has no text form that leads back to it: it is kept as the
        // percent-encoded URL, which holds its very bytes.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8(name);
        paths.append(utf8.hasError() ? QLatin1String("file://") + QString::fromLatin1(name.toPercentEncoding("/"))
                                     : decoded);
    }
    return paths;
}

} // namespace X11UriList
