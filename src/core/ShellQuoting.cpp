#include "core/ShellQuoting.h"

#include "core/StoredFilePath.h"

#include <QUrl>

namespace {

// The bytes of a name that has no text form, in ANSI-C quotes.
QString byteQuoted(const QByteArray &bytes)
{
    QString word = QStringLiteral("$'");
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\'' || byte == '\\')
            word += QStringLiteral("\\") + QLatin1Char(c);
        else if (byte < 0x20 || byte >= 0x7f)
            word += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
        else
            word += QLatin1Char(c);
    }
    return word + QLatin1Char('\'');
}

} // namespace

namespace ShellQuoting {

QString quoted(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

QString quotedPaths(const QStringList &storedPaths)
{
    QString words;
    for (const QString &stored : storedPaths) {
        const QUrl url = StoredFilePath::url(stored);
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        const QString text = QString::fromUtf8(bytes);
        // A name whose bytes do not survive the round trip through text is not UTF-8.
        words += (text.toUtf8() == bytes ? quoted(text) : byteQuoted(bytes)) + QLatin1Char(' ');
    }
    return words;
}

} // namespace ShellQuoting
