#include "core/ClipboardKind.h"

#include "core/ClipboardColor.h"
#include "core/JsonShape.h"
#include "core/L10n.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <QUrl>

namespace {

// Anchored at both ends of the whole text; case-insensitive, so the A-Z ranges take lower case.
const QRegularExpression &emailPattern()
{
    static const QRegularExpression pattern = [] {
        QRegularExpression p(QStringLiteral(R"(^[A-Z0-9._%+-]+@[A-Z0-9.-]+\.[A-Z]{2,}$)"),
                             QRegularExpression::CaseInsensitiveOption
                                 | QRegularExpression::UseUnicodePropertiesOption);
        p.optimize();
        return p;
    }();
    return pattern;
}

// A sign, a digit, then digits, spaces, points, parentheses, commas, plus and minus signs:
// telephone numbers, amounts with separators and simple sums.
const QRegularExpression &numberPattern()
{
    static const QRegularExpression pattern = [] {
        QRegularExpression p(QStringLiteral(R"(^[+-]?[0-9][0-9 .(),+-]*$)"));
        p.optimize();
        return p;
    }();
    return pattern;
}

bool isWebLink(const QString &t)
{
    // Only http and https links count, and the scheme opens the text; checking that first keeps
    // long texts away from the URL parser.
    if (!t.startsWith(QLatin1String("http:"), Qt::CaseInsensitive)
        && !t.startsWith(QLatin1String("https:"), Qt::CaseInsensitive))
        return false;
    const QUrl url(t, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

// True when the first user-perceived character is exactly `c`, not `c` with a combining mark.
bool firstCharacterIs(const QString &t, QChar c)
{
    if (t.isEmpty() || t.front() != c)
        return false;
    if (t.size() == 1)
        return true;
    // Whether a cluster ends after the first unit depends only on its neighbours, so a short
    // prefix spares the boundary finder a megabyte of text.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, t.left(16));
    finder.setPosition(1);
    return finder.isAtBoundary();
}

bool isJsonContainer(const QString &t)
{
    if (!firstCharacterIs(t, u'{') && !firstCharacterIs(t, u'['))
        return false;
    // Too deep, malformed or truncated JSON is simply not this rule's business.
    return JsonShape::isContainerDocument(t);
}

// Any of the five markers anywhere: an opening brace with a double quote, "function ", "=>",
// "import " or "</". One pass over the text instead of five searches.
bool containsCodeMarker(QStringView t)
{
    const qsizetype size = t.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t next = i + 1 < size ? t[i + 1].unicode() : u'\0';
        switch (t[i].unicode()) {
        case u'{':
            if (next == u'"')
                return true;
            break;
        case u'=':
            if (next == u'>')
                return true;
            break;
        case u'<':
            if (next == u'/')
                return true;
            break;
        case u'f':
            if (t.mid(i).startsWith(u"function "))
                return true;
            break;
        case u'i':
            if (t.mid(i).startsWith(u"import "))
                return true;
            break;
        default:
            break;
        }
    }
    return false;
}

} // namespace

QString label(ClipboardKind kind)
{
    switch (kind) {
    case ClipboardKind::Text:
        return L10n::text(QStringLiteral("Text"));
    case ClipboardKind::Url:
        return L10n::text(QStringLiteral("Odkaz"));
    case ClipboardKind::Email:
        return L10n::text(QStringLiteral("Email"));
    case ClipboardKind::Number:
        return L10n::text(QStringLiteral("Číslo"));
    case ClipboardKind::Color:
        return L10n::text(QStringLiteral("Farba"));
    case ClipboardKind::Code:
        return L10n::text(QStringLiteral("Kód"));
    case ClipboardKind::Image:
        return L10n::text(QStringLiteral("Obrázok"));
    case ClipboardKind::File:
        return L10n::text(QStringLiteral("Súbor"));
    }
    return {};
}

ClipboardKind detectKind(const QString &text)
{
    // The order decides: a bare 123456 is a colour before it could be a number.
    const QString t = text.trimmed();
    if (ClipboardColor::normalizedHex(t))
        return ClipboardKind::Color;
    if (emailPattern().match(t).hasMatch())
        return ClipboardKind::Email;
    if (isWebLink(t))
        return ClipboardKind::Url;
    if (numberPattern().match(t).hasMatch())
        return ClipboardKind::Number;
    if (isJsonContainer(t) || containsCodeMarker(t))
        return ClipboardKind::Code;
    return ClipboardKind::Text;
}
