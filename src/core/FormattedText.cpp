#include "core/FormattedText.h"

namespace {

// The length of the conversion ("@", "d", "ld", "lld", "i") starting at `at`; 0 when none.
qsizetype conversionLength(const QString &format, qsizetype at)
{
    static const QString conversions[] = {QStringLiteral("lld"), QStringLiteral("ld"), QStringLiteral("@"),
                                          QStringLiteral("d"), QStringLiteral("i")};
    for (const QString &conversion : conversions) {
        if (QStringView(format).mid(at).startsWith(conversion))
            return conversion.size();
    }
    return 0;
}

} // namespace

namespace FormattedText {

QString substitute(const QString &format, const QStringList &arguments)
{
    QString out;
    out.reserve(format.size() + 16);
    qsizetype next = 0;
    qsizetype index = 0;
    while (index < format.size()) {
        const QChar c = format.at(index);
        if (c != u'%' || index + 1 >= format.size()) {
            out += c;
            ++index;
            continue;
        }
        if (format.at(index + 1) == u'%') {
            out += u'%';
            index += 2;
            continue;
        }
        // Positional form: digits, "$", conversion.
        qsizetype cursor = index + 1;
        int position = 0;
        while (cursor < format.size() && format.at(cursor).isDigit() && position < 1000) {
            position = position * 10 + format.at(cursor).digitValue();
            ++cursor;
        }
        if (cursor > index + 1 && cursor < format.size() && format.at(cursor) == u'$') {
            const qsizetype length = conversionLength(format, cursor + 1);
            if (length > 0 && position >= 1 && position <= arguments.size()) {
                out += arguments.at(position - 1);
                index = cursor + 1 + length;
                continue;
            }
        } else if (const qsizetype length = conversionLength(format, index + 1); length > 0 && next < arguments.size()) {
            out += arguments.at(next++);
            index += 1 + length;
            continue;
        }
        out += c;
        ++index;
    }
    return out;
}

} // namespace FormattedText
