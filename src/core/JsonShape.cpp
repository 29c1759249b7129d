#include "core/JsonShape.h"

#include <QLocale>

#include <cmath>
#include <vector>

namespace JsonShape {
namespace {

// Plain digit runs up to this length always fit a double.
constexpr qsizetype kLongestSafeNumber = 300;

class Scanner
{
public:
    explicit Scanner(QStringView text)
        : m_text(text.utf16())
        , m_size(text.size())
    {
    }

    bool document()
    {
        skipSpace();
        if (!at(u'{') && !at(u'['))
            return false;
        if (!value())
            return false;
        skipSpace();
        return m_pos == m_size;
    }

private:
    // Containers are walked with an explicit stack, so a hostile nesting depth costs memory
    // proportional to the limit, never the call stack.
    bool value()
    {
        std::vector<char16_t> open;
        for (;;) {
            skipSpace();
            if (at(u'{') || at(u'[')) {
                if (static_cast<int>(open.size()) >= kMaxNesting)
                    return false;
                const char16_t opener = m_text[m_pos++];
                open.push_back(opener);
                skipSpace();
                if (at(opener == u'{' ? u'}' : u']')) {
                    ++m_pos;
                    open.pop_back();
                } else if (opener == u'{') {
                    if (!memberName())
                        return false;
                    continue;
                } else {
                    continue;
                }
            } else if (!scalar()) {
                return false;
            }
            // After a complete value: close containers or move to the next element.
            for (;;) {
                if (open.empty())
                    return true;
                skipSpace();
                const char16_t closer = open.back() == u'{' ? u'}' : u']';
                if (at(closer)) {
                    ++m_pos;
                    open.pop_back();
                    continue;
                }
                if (!at(u','))
                    return false;
                ++m_pos;
                if (open.back() == u'{' && !memberName())
                    return false;
                break;
            }
        }
    }

    // A member name and its colon; the value follows.
    bool memberName()
    {
        skipSpace();
        if (!string())
            return false;
        skipSpace();
        if (!at(u':'))
            return false;
        ++m_pos;
        return true;
    }

    bool scalar()
    {
        if (at(u'"'))
            return string();
        if (at(u't'))
            return literal(u"true");
        if (at(u'f'))
            return literal(u"false");
        if (at(u'n'))
            return literal(u"null");
        return number();
    }

    bool literal(QStringView word)
    {
        if (QStringView(m_text + m_pos, m_size - m_pos).startsWith(word)) {
            m_pos += word.size();
            return true;
        }
        return false;
    }

    bool string()
    {
        if (!at(u'"'))
            return false;
        ++m_pos;
        while (m_pos < m_size) {
            const char16_t c = m_text[m_pos++];
            if (c == u'"')
                return true;
            if (c < 0x20)
                return false;
            if (c != u'\\')
                continue;
            if (m_pos >= m_size)
                return false;
            const char16_t escaped = m_text[m_pos++];
            switch (escaped) {
            case u'"':
            case u'\\':
            case u'/':
            case u'b':
            case u'f':
            case u'n':
            case u'r':
            case u't':
                break;
            case u'u':
                for (int i = 0; i < 4; ++i) {
                    if (m_pos >= m_size || !isHexDigit(m_text[m_pos++]))
                        return false;
                }
                break;
            default:
                return false;
            }
        }
        return false;
    }

    bool number()
    {
        const qsizetype start = m_pos;
        if (at(u'-'))
            ++m_pos;
        if (at(u'0')) {
            ++m_pos;
        } else if (!digits()) {
            return false;
        }
        if (at(u'.')) {
            ++m_pos;
            if (!digits())
                return false;
        }
        bool hasExponent = false;
        if (at(u'e') || at(u'E')) {
            hasExponent = true;
            ++m_pos;
            if (at(u'+') || at(u'-'))
                ++m_pos;
            if (!digits())
                return false;
        }
        // A number too large for a double is refused, as the platform's parser refuses it.
        if (hasExponent || m_pos - start > kLongestSafeNumber) {
            bool ok = false;
            const double parsed = QLocale::c().toDouble(QStringView(m_text + start, m_pos - start), &ok);
            return ok && std::isfinite(parsed);
        }
        return true;
    }

    bool digits()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_size && m_text[m_pos] >= u'0' && m_text[m_pos] <= u'9')
            ++m_pos;
        return m_pos > start;
    }

    void skipSpace()
    {
        while (m_pos < m_size) {
            const char16_t c = m_text[m_pos];
            if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
                return;
            ++m_pos;
        }
    }

    bool at(char16_t c) const { return m_pos < m_size && m_text[m_pos] == c; }

    static bool isHexDigit(char16_t c)
    {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    }

    const char16_t *m_text;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

} // namespace

bool isContainerDocument(QStringView text)
{
    return Scanner(text).document();
}

} // namespace JsonShape
