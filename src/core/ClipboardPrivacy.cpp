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

bool passesLuhn(const std::array<int, maximumCardDigits> &digits, int count)
{
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

// A card number may stand anywhere in the text ("Card: 4111 1111 1111 1111"), so every run of
// digits is tested on its own: digits in groups joined by one space or one dash each. A run
// is a card when it has 13 to 19 digits and passes the Luhn check. Dots, commas, letters, two
// separators in a row or a separator at the end close the run; a run longer than a card is
// never one, nor is any part of it. Testing runs instead of every digit of the text keeps an
// invoice line ("Faktúra 2024-0045, 1 250,00") whose digits happen to pass the check.
bool containsCardNumber(QStringView text)
{
    std::array<int, maximumCardDigits> digits{};
    int count = 0;
    bool afterSeparator = false;
    const auto closeRun = [&] {
        const bool card = count >= minimumCardDigits && count <= maximumCardDigits && passesLuhn(digits, count);
        count = 0;
        afterSeparator = false;
        return card;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t codePoint = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        switch (QChar::category(codePoint)) {
        case QChar::Number_DecimalDigit:
            // Digits past the longest card still count, so that the run is known to be too long.
            if (count < maximumCardDigits)
                digits[count] = QChar::digitValue(codePoint);
            ++count;
            afterSeparator = false;
            break;
        case QChar::Separator_Space:
        case QChar::Punctuation_Dash:
            if (count > 0 && !afterSeparator) {
                afterSeparator = true;
                break;
            }
            [[fallthrough]];
        default:
            if (count > 0 && closeRun())
                return true;
            break;
        }
    }
    return count > 0 && closeRun();
}

} // namespace

bool looksSensitive(const QString &text)
{
    const QString valid = withValidUtf16(text);
    for (const QRegularExpression &pattern : secretPatterns()) {
        if (pattern.match(valid).hasMatch())
            return true;
    }
    return containsCardNumber(valid);
}

} // namespace ClipboardPrivacy
