#include "core/ClipboardPrivacy.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cstdint>

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
        const int digit = digits[std::size_t(count - 1 - position)];
        if (position % 2 == 0)
            sum += digit;
        else
            sum += digit >= 5 ? digit * 2 - 9 : digit * 2;
    }
    return sum % 10 == 0;
}

// What joins a group of digits to the one before it. Within one card number every joint is the
// same; a group that opens a run has none.
enum class Joint : std::uint8_t { None, Space, TwoSpaces, Dash, Dot, Underscore };

struct DigitGroup {
    std::array<int, maximumCardDigits> digits{};
    int length = 0; // may exceed the digits kept: a longer group is never part of a card
    Joint joint = Joint::None;
};

// The ways people write a card: 16 digits in fours, 19 in fours and a three, 15 and 14 digits
// in the 4-6-5 and 4-6-4 layouts. A card written without separators is one group (below).
constexpr std::array<std::array<int, 5>, 4> cardLayouts{{
    {4, 4, 4, 4, 0},
    {4, 4, 4, 4, 3},
    {4, 6, 5, 0, 0},
    {4, 6, 4, 0, 0},
}};

// A neighbour this long turns a card-shaped stretch into part of a longer grouped run, such as
// an account number in fours, where any four groups may pass the Luhn check by chance. Shorter
// neighbours are what people write beside a card: an expiry, a security code, an order number.
constexpr int longNeighbourDigits = 4;

// Looks for card numbers in the runs of digit groups of a text, one group at a time, keeping
// only the last few groups of the current run: a card is the whole of one layout (or one
// unbroken group of 13 to 19 digits) that passes the Luhn check, whose own joints agree and
// whose neighbours in the run are short.
class CardFinder
{
public:
    // Starts a run; an account run (its first group glued to a country prefix, as in an IBAN)
    // holds no card however its groups fall.
    void beginRun(bool account)
    {
        m_groupCount = 0;
        m_account = account;
    }

    // Adds a closed group to the run; true when the groups before it end a card.
    bool addGroup(const DigitGroup &group)
    {
        m_recent[std::size_t(m_groupCount) % m_recent.size()] = group;
        ++m_groupCount;
        return m_groupCount >= 2 && endsCard(m_groupCount - 2, &group);
    }

    // Closes the run; true when its last groups are a card.
    bool endRun()
    {
        const bool card = m_groupCount >= 1 && endsCard(m_groupCount - 1, nullptr);
        m_groupCount = 0;
        return card;
    }

private:
    // The window of the largest layout, one neighbour on each side and the group just added.
    static constexpr std::size_t kept = 8;

    const DigitGroup &at(qsizetype index) const { return m_recent[std::size_t(index % qsizetype(kept))]; }

    bool isCard(qsizetype first, qsizetype last, const DigitGroup *after) const
    {
        if (first > 0 && at(first - 1).length >= longNeighbourDigits)
            return false;
        if (after && after->length >= longNeighbourDigits)
            return false;
        std::array<int, maximumCardDigits> digits{};
        int count = 0;
        for (qsizetype index = first; index <= last; ++index) {
            const DigitGroup &group = at(index);
            if (index > first && group.joint != at(first + 1).joint)
                return false;
            for (int i = 0; i < group.length; ++i)
                digits[std::size_t(count++)] = group.digits[std::size_t(i)];
        }
        return passesLuhn(digits, count);
    }

    // Every layout that ends at the group with the given index.
    bool endsCard(qsizetype last, const DigitGroup *after) const
    {
        if (m_account)
            return false;
        const int lastLength = at(last).length;
        if (lastLength >= minimumCardDigits && lastLength <= maximumCardDigits && isCard(last, last, after))
            return true;
        for (const auto &layout : cardLayouts) {
            const auto groups = qsizetype(std::count_if(layout.begin(), layout.end(), [](int n) { return n > 0; }));
            const qsizetype first = last - groups + 1;
            if (first < 0)
                continue;
            bool fits = true;
            for (qsizetype i = 0; i < groups && fits; ++i)
                fits = at(first + i).length == layout[std::size_t(i)];
            if (fits && isCard(first, last, after))
                return true;
        }
        return false;
    }

    std::array<DigitGroup, kept> m_recent{};
    qsizetype m_groupCount = 0;
    bool m_account = false;
};

bool isAsciiUpper(char32_t c)
{
    return c >= U'A' && c <= U'Z';
}

// A card number may stand anywhere in the text, beside other numbers ("Card 4111 1111 1111 1111
// 05/28", "Order 12 4111-1111-1111-1111"), so the text is read as runs of digit groups joined by
// one space, two spaces, a dash, a dot or an underscore. Anything else (a letter, a comma, a
// slash, a line break, a third space) ends the run, which keeps apart the cells of a copied
// column, the parts of an invoice line ("Faktúra 2024-0045, 1 250,00") and a date from its
// neighbours.
bool containsCardNumber(QStringView text)
{
    enum class State { Outside, InGroup, AfterJoint };
    State state = State::Outside;
    Joint pendingJoint = Joint::None;
    DigitGroup group;
    CardFinder finder;
    // The two characters before the current one, and the one before those: a run that starts
    // right after two capital letters standing alone ("SK31 1200 …") is an account number.
    char32_t before1 = 0;
    char32_t before2 = 0;
    char32_t before3 = 0;

    const auto closeGroup = [&] {
        const bool card = finder.addGroup(group);
        group = DigitGroup{};
        return card;
    };

    for (qsizetype i = 0; i <= text.size(); ++i) {
        char32_t codePoint = 0;
        bool atEnd = i == text.size();
        if (!atEnd) {
            codePoint = text.at(i).unicode();
            if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                codePoint = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
                ++i;
            }
        }
        const QChar::Category category = atEnd ? QChar::Other_NotAssigned : QChar::category(codePoint);
        Joint joint = Joint::None;
        if (category == QChar::Separator_Space)
            joint = Joint::Space;
        else if (category == QChar::Punctuation_Dash)
            joint = Joint::Dash;
        else if (codePoint == U'.')
            joint = Joint::Dot;
        else if (codePoint == U'_')
            joint = Joint::Underscore;

        if (category == QChar::Number_DecimalDigit && !atEnd) {
            if (state == State::Outside) {
                const bool account = isAsciiUpper(before1) && isAsciiUpper(before2) && !QChar::isLetter(before3);
                finder.beginRun(account);
                group.joint = Joint::None;
            } else if (state == State::AfterJoint) {
                group.joint = pendingJoint;
            }
            if (group.length < maximumCardDigits)
                group.digits[std::size_t(group.length)] = QChar::digitValue(codePoint);
            ++group.length;
            state = State::InGroup;
        } else if (joint != Joint::None && state == State::InGroup) {
            if (closeGroup())
                return true;
            pendingJoint = joint;
            state = State::AfterJoint;
        } else if (joint == Joint::Space && state == State::AfterJoint && pendingJoint == Joint::Space) {
            pendingJoint = Joint::TwoSpaces;
        } else if (state != State::Outside) {
            if (state == State::InGroup && closeGroup())
                return true;
            if (finder.endRun())
                return true;
            state = State::Outside;
        }
        before3 = before2;
        before2 = before1;
        before1 = codePoint;
    }
    return false;
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
