#include "core/ClipboardPrivacy.h"

#include <QRegularExpression>

#include <array>

namespace ClipboardPrivacy {
namespace {

constexpr int minimumCardDigits = 13;
constexpr int maximumCardDigits = 19;

// The patterns match without regard to case instead of running on a lower-cased copy: the same
// answer for every cased letter, without copying a megabyte of text first.
// "(*ANY)" makes '.' stop at every Unicode line break, so "one" and "time" on two lines never
// make one name. The bare code is the whole text or nothing: "\z" ends only at the very end,
// where '$' would also stop before one final line break; "123456" with a line break after it
// goes on to the card test, which wants more digits. The possessive quantifiers give the same
// matches as plain ones here (what follows each one can never start with what it gave back),
// but keep the search linear:
// "otp" followed by a million spaces must not take cubic time or hit the backtracking limit,
// which would silently report "not sensitive".
const std::array<QRegularExpression, 3> &secretPatterns()
{
    static const std::array<QRegularExpression, 3> patterns = [] {
        constexpr auto options = QRegularExpression::UseUnicodePropertiesOption
            | QRegularExpression::CaseInsensitiveOption;
        std::array<QRegularExpression, 3> compiled{
            QRegularExpression(QStringLiteral(
                R"((*ANY)\b(?:password|passwd|passcode|secret|api[_ -]?key|access[_ -]?token|refresh[_ -]?token|cvv)\s*+[:=]\s*+\S)"),
                options),
            QRegularExpression(QStringLiteral(
                R"((*ANY)\b(?:one.?time|verification|security|otp)\s*+(?:code)?+\s*+[:=]?+\s*+[0-9]{4,8}\b)"),
                options),
            QRegularExpression(QStringLiteral(R"(^[0-9]{6}\z)"), options),
        };
        for (QRegularExpression &pattern : compiled)
            pattern.optimize();
        return compiled;
    }();
    return patterns;
}

// The regular-expression engine refuses a subject with a lone surrogate and reports "no match",
// which would let any secret through; such halves become U+FFFD first.
QString withValidUtf16(const QString &text)
{
    if (text.isValidUtf16())
        return text;
    QString repaired = text;
    for (qsizetype i = 0; i < repaired.size(); ++i) {
        const QChar c = repaired.at(i);
        if (c.isHighSurrogate() && i + 1 < repaired.size() && repaired.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            repaired[i] = QChar::ReplacementCharacter;
    }
    return repaired;
}

// Only a text that is nothing but a card number counts: digits, optionally grouped by spaces or
// dashes. Collecting every digit of an arbitrary text instead would drop about one ordinary
// text in ten with 13 to 19 digits (an invoice line, a date and an amount) as a "card".
bool looksLikeCardNumber(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    std::array<int, maximumCardDigits> digits{};
    int count = 0;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        char32_t codePoint = trimmed.at(i).unicode();
        if (trimmed.at(i).isHighSurrogate() && i + 1 < trimmed.size() && trimmed.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(trimmed.at(i), trimmed.at(i + 1));
            ++i;
        }
        switch (QChar::category(codePoint)) {
        case QChar::Number_DecimalDigit:
            if (count == maximumCardDigits)
                return false;
            digits[count++] = QChar::digitValue(codePoint);
            break;
        case QChar::Separator_Space:
        case QChar::Punctuation_Dash:
            break;
        default:
            return false;
        }
    }
    if (count < minimumCardDigits)
        return false;

    int sum = 0;
    for (int position = 0; position < count; ++position) {
        const int digit = digits[count - 1 - position];
        if (position % 2 == 0)
            sum += digit;
        else
            sum += digit >= 5 ? digit * 2 - 9 : digit * 2;
    }
    return sum % 10 == 0;
}

} // namespace

bool looksSensitive(const QString &text)
{
    const QString valid = withValidUtf16(text);
    for (const QRegularExpression &pattern : secretPatterns()) {
        if (pattern.match(valid).hasMatch())
            return true;
    }
    return looksLikeCardNumber(valid);
}

} // namespace ClipboardPrivacy
