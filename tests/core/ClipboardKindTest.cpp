#include "core/ClipboardKind.h"

#include <gtest/gtest.h>

namespace {

const char *nameOf(ClipboardKind kind)
{
    static QByteArray raw;
    raw = rawValue(kind).toLatin1();
    return raw.constData();
}

TEST(ClipboardKind, DetectionFollowsTheRuleOrder)
{
    struct Case {
        QString text;
        ClipboardKind expected;
    };
    const Case cases[] = {
        // Empty and blank texts.
        {"", ClipboardKind::Text},
        {"   ", ClipboardKind::Text},
        // Colours win over numbers.
        {"123456", ClipboardKind::Color},
        {"1234567", ClipboardKind::Number},
        {"12345678", ClipboardKind::Color},
        {"0xFFF", ClipboardKind::Text},
        {"#12345", ClipboardKind::Text},
        // E-mail addresses, anchored at both ends.
        {"Jan.Novak+tag@Example.com", ClipboardKind::Email},
        {"jan@example.org and more words", ClipboardKind::Text},
        {"jan@example", ClipboardKind::Text},
        {"jana@firma.sk", ClipboardKind::Email},
        {"podpora@obchod.cz", ClipboardKind::Email},
        {"jan@example.c", ClipboardKind::Text},
        {QString::fromUtf8("ján@example.com"), ClipboardKind::Text},
        // Web links need an http(s) scheme and a host.
        {"https://example.com/path?q=1", ClipboardKind::Url},
        {"example.com", ClipboardKind::Text},
        {"http:///path", ClipboardKind::Text},
        // Numbers.
        {"+421 (905) 123-456", ClipboardKind::Number},
        {"1\n2", ClipboardKind::Text},
        // JSON containers.
        {"{\"a\": [true, null]}", ClipboardKind::Code},
        // Code markers.
        {"function add(a, b)", ClipboardKind::Code},
        {QString::fromUtf8("Dobrý deň, ako sa máš?"), ClipboardKind::Text},
    };
    for (const Case &c : cases)
        EXPECT_EQ(detectKind(c.text), c.expected) << c.text.toStdString() << " gave " << nameOf(detectKind(c.text));
}

TEST(ClipboardKind, DetectionSurvivesHostileTexts)
{
    const QByteArray deepArray = QByteArray(100000, '[') + QByteArray(100000, ']');
    const QByteArray deepObject = QByteArray(100000, '{');
    struct Case {
        const char *name;
        QString text;
        ClipboardKind expected;
    };
    const Case cases[] = {
        {"invalid UTF-8", QString::fromUtf8("\xff\xfe\xc3(#fff"), ClipboardKind::Text},
        {"nesting beyond the parser's limit", QString::fromLatin1(deepArray), ClipboardKind::Text},
        {"unclosed deep objects", QString::fromLatin1(deepObject), ClipboardKind::Text},
        {"ten megabytes of digits", QString(10 * 1024 * 1024, u'7'), ClipboardKind::Number},
        {"lone surrogate", QString(QChar(0xd800)) + "{\"", ClipboardKind::Code},
    };
    for (const Case &c : cases)
        EXPECT_EQ(detectKind(c.text), c.expected) << c.name;
}

} // namespace
