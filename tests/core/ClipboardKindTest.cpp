#include "core/ClipboardKind.h"

#include "support/ScopedLanguage.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

const char *nameOf(ClipboardKind kind)
{
    static QByteArray raw;
    raw = rawValue(kind).toLatin1();
    return raw.constData();
}

TEST(ClipboardKind, RawValuesRoundTripAndRejectOtherSpellings)
{
    const auto cases = allCases<ClipboardKind>();
    ASSERT_EQ(cases.size(), 8u);
    EXPECT_EQ(cases.front(), ClipboardKind::Text);
    EXPECT_EQ(cases.back(), ClipboardKind::File);
    for (ClipboardKind kind : cases)
        EXPECT_EQ(fromRawValue<ClipboardKind>(rawValue(kind)), kind) << nameOf(kind);
    const auto kinds = allCases<ClipboardKind>();
    EXPECT_EQ(QSet<ClipboardKind>(kinds.begin(), kinds.end()).size(), 8);
    for (const char *other : {"Text", "URL", "e-mail", "colour", "", " text", "text "})
        EXPECT_FALSE(fromRawValue<ClipboardKind>(QString::fromLatin1(other)).has_value()) << other;
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
        {" \n\t ", ClipboardKind::Text},
        // Colours win over numbers.
        {"#FFF", ClipboardKind::Color},
        {"0XA1B2C3", ClipboardKind::Color},
        {"123456", ClipboardKind::Color},
        {"20231231", ClipboardKind::Color},
        {"1234567", ClipboardKind::Number},
        {"12345678", ClipboardKind::Color},
        {"  #a1b2c3 \n", ClipboardKind::Color},
        {"0xFFF", ClipboardKind::Text},
        {"#12345", ClipboardKind::Text},
        // E-mail addresses, anchored at both ends.
        {"Jan.Novak+tag@Example.com", ClipboardKind::Email},
        {"a_b%c-d@mail.example.sk", ClipboardKind::Email},
        {"  jan@example.org\n", ClipboardKind::Email},
        {"jan@example.org and more words", ClipboardKind::Text},
        {"jan@example", ClipboardKind::Text},
        {"jan@example.c", ClipboardKind::Text},
        {QString::fromUtf8("ján@example.com"), ClipboardKind::Text},
        {"jan@example.org\nsecond line", ClipboardKind::Text},
        // Web links need an http(s) scheme and a host.
        {"https://example.com/path?q=1", ClipboardKind::Url},
        {"http://intranet", ClipboardKind::Url},
        {"HTTPS://EXAMPLE.COM", ClipboardKind::Url},
        {"  https://example.com  ", ClipboardKind::Url},
        {"mailto:jan@example.org", ClipboardKind::Text},
        {"ftp://example.com/file", ClipboardKind::Text},
        {"file:///home/jan/a.txt", ClipboardKind::Text},
        {"example.com", ClipboardKind::Text},
        {"https://", ClipboardKind::Text},
        {"http:///path", ClipboardKind::Text},
        {"https://example.com/a b", ClipboardKind::Text},
        // Numbers.
        {"+421 (905) 123-456", ClipboardKind::Number},
        {"-5", ClipboardKind::Number},
        {"1+2", ClipboardKind::Number},
        {"1 234 567,89", ClipboardKind::Number},
        {"3.14", ClipboardKind::Number},
        {".5", ClipboardKind::Text},
        {"5 kg", ClipboardKind::Text},
        {"+-5", ClipboardKind::Text},
        {"1\n2", ClipboardKind::Text},
        // JSON containers.
        {"{}", ClipboardKind::Code},
        {"[1, 2, 3]", ClipboardKind::Code},
        {"{\"a\": [true, null]}", ClipboardKind::Code},
        {" [ {\"x\": 1} ] ", ClipboardKind::Code},
        {"{\"broken\": ", ClipboardKind::Code},
        {"[1, 2", ClipboardKind::Text},
        {"[1,]", ClipboardKind::Text},
        {"{a: 1}", ClipboardKind::Text},
        {"[]x", ClipboardKind::Text},
        // Code markers.
        {"function add(a, b)", ClipboardKind::Code},
        {"x => x * 2", ClipboardKind::Code},
        {"import os", ClipboardKind::Code},
        {"<b>bold</b>", ClipboardKind::Code},
        {"Ak a => b, potom platí aj c.", ClipboardKind::Code},
        {"Function add", ClipboardKind::Text},
        {"functional", ClipboardKind::Text},
        {"important note", ClipboardKind::Text},
        {"a = > b", ClipboardKind::Text},
        {"{", ClipboardKind::Text},
        {"a <", ClipboardKind::Text},
        {"x =", ClipboardKind::Text},
        {"function", ClipboardKind::Text},
        {"  import  ", ClipboardKind::Text},
        {"text then </", ClipboardKind::Code},
        {"ends with =>", ClipboardKind::Code},
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
        {"colour after invalid UTF-8", QString::fromUtf8("#ff\xff"), ClipboardKind::Text},
        {"nesting beyond the parser's limit", QString::fromLatin1(deepArray), ClipboardKind::Text},
        {"nesting at the parser's limit", QString(1024, u'[') + QString(1024, u']'), ClipboardKind::Code},
        {"unclosed deep objects", QString::fromLatin1(deepObject), ClipboardKind::Text},
        {"ten megabytes of letters", QString(10 * 1024 * 1024, u'a'), ClipboardKind::Text},
        {"ten megabytes of digits", QString(10 * 1024 * 1024, u'7'), ClipboardKind::Number},
        {"ten megabytes of white space", QString(10 * 1024 * 1024, u' '), ClipboardKind::Text},
        {"megabyte local part", QString(1024 * 1024, u'a') + "@example.com", ClipboardKind::Email},
        {"lone surrogate", QString(QChar(0xd800)) + "{\"", ClipboardKind::Code},
        {"NUL characters", QString(3, QChar(0)), ClipboardKind::Text},
    };
    for (const Case &c : cases)
        EXPECT_EQ(detectKind(c.text), c.expected) << c.name;
}

TEST(ClipboardKind, FirstCharacterTestCountsUserPerceivedCharacters)
{
    // "[" with a combining ring above is one character that is not "[", so the JSON rule does
    // not look at it; without the mark it is a valid array.
    EXPECT_EQ(detectKind(QString::fromUtf8("[\u030a1]")), ClipboardKind::Text);
    EXPECT_EQ(detectKind(QString::fromUtf8("[1]")), ClipboardKind::Code);
}

TEST(ClipboardKind, LabelsFollowTheInterfaceLanguage)
{
    const QHash<QString, QString> english{{"Odkaz", "Link"}, {"Číslo", "Number"}, {"Súbor", "File"}};
    struct Case {
        ClipboardKind kind;
        const char *slovak;
        const char *inEnglish;
    };
    const Case cases[] = {
        {ClipboardKind::Text, "Text", "Text"},
        {ClipboardKind::Url, "Odkaz", "Link"},
        {ClipboardKind::Number, "Číslo", "Number"},
        {ClipboardKind::Color, "Farba", "Farba"}, // no translation in this table: stays Slovak
        {ClipboardKind::File, "Súbor", "File"},
    };
    for (const Case &c : cases) {
        {
            ScopedLanguage slovak(std::nullopt, english);
            EXPECT_EQ(label(c.kind), QString::fromUtf8(c.slovak));
        }
        {
            ScopedLanguage en(QStringLiteral("en"), english);
            EXPECT_EQ(label(c.kind), QString::fromUtf8(c.inEnglish));
        }
    }
}

} // namespace
