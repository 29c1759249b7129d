#include "core/ClipboardColorHex.h"

namespace ClipboardColor {
namespace {

bool isAsciiHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

bool allHexDigits(QStringView digits)
{
    if (digits.isEmpty())
        return false;
    for (QChar c : digits) {
        if (!isAsciiHexDigit(c))
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> normalizedHex(const QString &text)
{
    // QString::trimmed strips exactly the separators (category Z), U+0009..U+000D and U+0085.
    const QString t = text.trimmed();
    // Allowed digit counts per form; a bare text needs exactly 6 or 8 characters.
    QStringView digits;
    bool shortFormsAllowed = false;
    if (t.startsWith(u'#')) {
        digits = QStringView(t).mid(1);
        shortFormsAllowed = true;
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        digits = QStringView(t).mid(2);
    } else {
        digits = t;
    }
    // Checking the digits first is what keeps a megabyte of text cheap. Once they are all ASCII
    // hex digits, every UTF-16 unit is one user-perceived character, so size() is that count.
    if (!allHexDigits(digits))
        return std::nullopt;
    const qsizetype length = digits.size();
    switch (length) {
    case 3:
    case 4:
        if (!shortFormsAllowed)
            return std::nullopt;
        {
            QString doubled;
            doubled.reserve(6);
            for (qsizetype i = 0; i < 3; ++i)
                doubled.append(digits[i]).append(digits[i]);
            return doubled;
        }
    case 6:
    case 8:
        return digits.left(6).toString();
    default:
        return std::nullopt;
    }
}

} // namespace ClipboardColor
