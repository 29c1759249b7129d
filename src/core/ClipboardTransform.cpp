#include "core/ClipboardTransform.h"

#include "core/L10n.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

namespace {

struct TransformInfo {
    ClipboardTransform transform;
    const char16_t *raw;
    const char16_t *title;
};

constexpr TransformInfo kTransforms[] = {
    {ClipboardTransform::Uppercase, u"uppercase", u"Veľké písmená"},
    {ClipboardTransform::PlainText, u"plainText", u"Bez formátovania"},
    {ClipboardTransform::Lowercase, u"lowercase", u"Malé písmená"},
    {ClipboardTransform::TitleCase, u"titleCase", u"Veľké začiatočné písmená"},
    {ClipboardTransform::SentenceCase, u"sentenceCase", u"Prvá veta veľkým písmenom"},
    {ClipboardTransform::Clean, u"clean", u"Vyčistiť text"},
    {ClipboardTransform::Trim, u"trim", u"Odstrániť okrajové medzery"},
    {ClipboardTransform::RemoveSpaces, u"removeSpaces", u"Odstrániť medzery"},
    {ClipboardTransform::RemoveLineBreaks, u"removeLineBreaks", u"Odstrániť zalomenia"},
    {ClipboardTransform::MarkdownPlain, u"markdownPlain", u"Markdown → text"},
    {ClipboardTransform::HtmlPlain, u"htmlPlain", u"Značky webu → text"},
    {ClipboardTransform::UrlEncode, u"urlEncode", u"Zakódovať adresu"},
    {ClipboardTransform::UrlDecode, u"urlDecode", u"Dekódovať adresu"},
    {ClipboardTransform::JsonFormat, u"jsonFormat", u"Formátovať dáta"},
    {ClipboardTransform::JsonMinify, u"jsonMinify", u"Zmenšiť dáta"},
};

const TransformInfo &infoOf(ClipboardTransform transform)
{
    return kTransforms[static_cast<int>(transform)];
}

// The Unicode White_Space property. Every such character is in the BMP.
bool hasWhiteSpaceProperty(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680
        || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F
        || c == 0x205F || c == 0x3000;
}

char32_t firstCodePoint(QStringView text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return text[0].unicode();
}

// Calls visit(start, length, isWhiteSpace) for every user-perceived character. A character
// counts as white space when its first code point does, so "\r\n" and a space carrying a
// combining mark are each one white-space character.
template<typename Visit>
void forEachCharacter(const QString &text, Visit visit)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = finder.toNextBoundary();
        if (end <= start)
            end = text.size(); // no further boundary reported: take the rest as one character
        visit(start, end - start, hasWhiteSpaceProperty(firstCodePoint(QStringView(text).mid(start))));
        start = end;
    }
}

QString removeWhiteSpaceCharacters(const QString &text)
{
    QString result;
    result.reserve(text.size());
    forEachCharacter(text, [&](qsizetype start, qsizetype length, bool isWhiteSpace) {
        if (!isWhiteSpace)
            result.append(QStringView(text).mid(start, length));
    });
    return result;
}

QString collapseWhiteSpaceCharacters(const QString &text)
{
    QString result;
    result.reserve(text.size());
    bool pendingSpace = false;
    forEachCharacter(text, [&](qsizetype start, qsizetype length, bool isWhiteSpace) {
        if (isWhiteSpace) {
            pendingSpace = !result.isEmpty();
            return;
        }
        if (pendingSpace)
            result.append(u' ');
        pendingSpace = false;
        result.append(QStringView(text).mid(start, length));
    });
    // Pieces never hold white space, but a piece may start or end with a character that is
    // only in the trimming set, so trim as well.
    return result.trimmed();
}

qsizetype firstCharacterLength(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    const qsizetype end = finder.toNextBoundary();
    return end > 0 ? end : text.size();
}

QString sentenceCase(const QString &text)
{
    const QString lowered = text.toLower();
    const qsizetype head = firstCharacterLength(lowered);
    return lowered.left(head).toUpper() + lowered.mid(head);
}

bool isWordCharacter(char32_t c)
{
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

bool isApostrophe(char32_t c)
{
    return c == U'\'' || c == U'\u2019';
}

// Letters and digits make words; an apostrophe between two word characters stays inside the
// word, so "don't" becomes "Don't" and not "Don'T".
QString titleCase(const QString &text)
{
    const QLocale locale;
    QString result;
    result.reserve(text.size());
    bool inWord = false;
    QString word;
    auto flushWord = [&] {
        if (word.isEmpty())
            return;
        const qsizetype head = firstCharacterLength(word);
        result.append(locale.toUpper(word.left(head)));
        result.append(locale.toLower(word.mid(head)));
        word.clear();
    };
    forEachCharacter(text, [&](qsizetype start, qsizetype length, bool) {
        const QStringView character = QStringView(text).mid(start, length);
        const char32_t first = firstCodePoint(character);
        bool wordCharacter = isWordCharacter(first);
        if (!wordCharacter && inWord && isApostrophe(first) && start + length < text.size()
            && isWordCharacter(firstCodePoint(QStringView(text).mid(start + length)))) {
            wordCharacter = true;
        }
        if (wordCharacter) {
            word.append(character);
            inWord = true;
        } else {
            flushWord();
            result.append(character);
            inWord = false;
        }
    });
    flushWord();
    return result;
}

QString removeLineBreaks(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\s*\\n\\s*"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    return QString(text).replace(lineBreak, QStringLiteral(" "));
}

QString markdownPlain(const QString &text)
{
    static const QRegularExpression image(QStringLiteral("!\\[([^\\]]*)\\]\\([^)]*\\)"));
    static const QRegularExpression link(QStringLiteral("\\[([^\\]]+)\\]\\([^)]*\\)"));
    // (*ANY) lets "^" follow every kind of line break, not only a line feed.
    static const QRegularExpression marks(QStringLiteral("(*ANY)(?m)^\\s{0,3}#{1,6}\\s*|[*_`~]"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    QString result = text;
    result.replace(image, QStringLiteral("\\1"));
    result.replace(link, QStringLiteral("\\1"));
    result.replace(marks, QString());
    return result;
}

QString htmlPlain(const QString &text)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]+>"));
    QString result = text;
    result.replace(tag, QStringLiteral(" "));
    result.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    result.replace(QLatin1String("&amp;"), QLatin1String("&"));
    result.replace(QLatin1String("&lt;"), QLatin1String("<"));
    result.replace(QLatin1String("&gt;"), QLatin1String(">"));
    result.replace(QLatin1String("&quot;"), QLatin1String("\""));
    // simplified() splits at exactly the characters that trimmed() removes.
    return result.simplified();
}

QString urlEncode(const QString &text)
{
    // A lone surrogate has no UTF-8 form; encoding it would invent a character.
    if (!text.isValidUtf16())
        return text;
    // Unreserved characters are kept by toPercentEncoding itself; these are the query's
    // sub-delimiters and the colon, at sign, slash and question mark.
    static const QByteArray allowedInQuery("!$&'()*+,;=:@/?");
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(allowedInQuery));
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

QString urlDecode(const QString &text)
{
    if (!text.contains(u'%') || !text.isValidUtf16())
        return text;
    const QByteArray bytes = text.toUtf8();
    QByteArray decoded;
    decoded.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) != '%') {
            decoded.append(bytes.at(i));
            continue;
        }
        if (i + 2 >= bytes.size())
            return text;
        const int high = hexValue(char16_t(uchar(bytes.at(i + 1))));
        const int low = hexValue(char16_t(uchar(bytes.at(i + 2))));
        if (high < 0 || low < 0)
            return text;
        decoded.append(char(high * 16 + low));
        i += 2;
    }
    // A decoded text may itself begin with U+FEFF; by default the decoder would drop it as a
    // byte order mark.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString result = utf8.decode(decoded);
    if (utf8.hasError())
        return text;
    return result;
}

// A decimal number literal reduced to sign, significant digits and a power of ten, so that
// two spellings of one value ("1.50", "15e-1") compare equal.
struct DecimalValue {
    bool negative = false;
    QByteArray digits;
    long long exponent = 0;
    bool operator==(const DecimalValue &) const = default;
};

std::optional<DecimalValue> decimalValue(QByteArrayView literal)
{
    DecimalValue value;
    qsizetype i = 0;
    if (i < literal.size() && (literal[i] == '-' || literal[i] == '+'))
        value.negative = literal[i++] == '-';
    QByteArray digits;
    long long fractionDigits = 0;
    bool inFraction = false;
    for (; i < literal.size(); ++i) {
        const char c = literal[i];
        if (c >= '0' && c <= '9') {
            digits.append(c);
            if (inFraction)
                ++fractionDigits;
        } else if (c == '.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    if (digits.isEmpty())
        return std::nullopt;
    long long exponent = 0;
    if (i < literal.size()) {
        if (literal[i] != 'e' && literal[i] != 'E')
            return std::nullopt;
        bool ok = false;
        exponent = literal.sliced(i + 1).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    qsizetype lead = 0;
    while (lead < digits.size() && digits.at(lead) == '0')
        ++lead;
    digits.remove(0, lead);
    exponent -= fractionDigits;
    while (!digits.isEmpty() && digits.endsWith('0')) {
        digits.chop(1);
        ++exponent;
    }
    if (digits.isEmpty())
        return DecimalValue{}; // every zero is the same zero
    value.digits = digits;
    value.exponent = exponent;
    return value;
}

// The JSON reader keeps integers that fit in 64 bits exactly and every other number as a
// double. A number that a double cannot hold (a long id, a precise decimal) would be
// written back as a different value, so such a text is refused rather than altered.
bool numbersSurviveRoundTrip(const QByteArray &json)
{
    qsizetype i = 0;
    const qsizetype size = json.size();
    while (i < size) {
        const char c = json.at(i);
        if (c == '"') {
            for (++i; i < size && json.at(i) != '"'; ++i) {
                if (json.at(i) == '\\')
                    ++i;
            }
            ++i;
            continue;
        }
        if (c != '-' && (c < '0' || c > '9')) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool integral = true;
        while (i < size) {
            const char d = json.at(i);
            if (d == '.' || d == 'e' || d == 'E' || d == '+')
                integral = false;
            else if (d != '-' && (d < '0' || d > '9'))
                break;
            ++i;
        }
        const QByteArrayView literal(json.constData() + start, i - start);
        if (integral) {
            bool fits = false;
            [[maybe_unused]] const qlonglong parsed = literal.toLongLong(&fits);
            if (fits)
                continue;
        }
        bool ok = false;
        const double asDouble = literal.toDouble(&ok);
        if (!ok)
            return false;
        const QByteArray written = QByteArray::number(asDouble, 'g', QLocale::FloatingPointShortest);
        if (decimalValue(literal) != decimalValue(written))
            return false;
    }
    return true;
}

QString rewriteJson(const QString &text, QJsonDocument::JsonFormat format)
{
    if (!text.isValidUtf16())
        return text;
    const QByteArray bytes = text.toUtf8();
    // The reader refuses deep nesting and any top level other than an object or array.
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !(document.isObject() || document.isArray()))
        return text;
    if (!numbersSurviveRoundTrip(bytes))
        return text;
    // Objects keep their keys sorted, so both layouts come out with sorted keys.
    QByteArray written = document.toJson(format);
    if (format == QJsonDocument::Indented && written.endsWith('\n'))
        written.chop(1);
    return QString::fromUtf8(written);
}

} // namespace

namespace ClipboardTransforms {

const std::array<ClipboardTransform, 15> &all()
{
    static const std::array<ClipboardTransform, 15> transforms = [] {
        std::array<ClipboardTransform, 15> list{};
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i] = kTransforms[i].transform;
        return list;
    }();
    return transforms;
}

QString rawValue(ClipboardTransform transform)
{
    return QString::fromUtf16(infoOf(transform).raw);
}

std::optional<ClipboardTransform> fromRawValue(const QString &raw)
{
    for (const TransformInfo &info : kTransforms) {
        if (raw == QStringView(info.raw))
            return info.transform;
    }
    return std::nullopt;
}

QString titleBase(ClipboardTransform transform)
{
    return QString::fromUtf16(infoOf(transform).title);
}

QString title(ClipboardTransform transform)
{
    return L10n::text(titleBase(transform));
}

QString apply(ClipboardTransform transform, const QString &text)
{
    switch (transform) {
    case ClipboardTransform::Uppercase:
        return text.toUpper();
    case ClipboardTransform::PlainText:
        return text;
    case ClipboardTransform::Lowercase:
        return text.toLower();
    case ClipboardTransform::TitleCase:
        return titleCase(text);
    case ClipboardTransform::SentenceCase:
        return sentenceCase(text);
    case ClipboardTransform::Clean:
        return collapseWhiteSpaceCharacters(text);
    case ClipboardTransform::Trim:
        return text.trimmed();
    case ClipboardTransform::RemoveSpaces:
        return removeWhiteSpaceCharacters(text);
    case ClipboardTransform::RemoveLineBreaks:
        return removeLineBreaks(text);
    case ClipboardTransform::MarkdownPlain:
        return markdownPlain(text);
    case ClipboardTransform::HtmlPlain:
        return htmlPlain(text);
    case ClipboardTransform::UrlEncode:
        return urlEncode(text);
    case ClipboardTransform::UrlDecode:
        return urlDecode(text);
    case ClipboardTransform::JsonFormat:
        return rewriteJson(text, QJsonDocument::Indented);
    case ClipboardTransform::JsonMinify:
        return rewriteJson(text, QJsonDocument::Compact);
    }
    return text;
}

} // namespace ClipboardTransforms
