#include "core/ClipboardTransform.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using T = ClipboardTransform;

struct Case {
    const char *name;
    ClipboardTransform transform;
    QString input;
    QString expected;
};

void expectCases(std::initializer_list<Case> cases)
{
    for (const Case &c : cases) {
        EXPECT_EQ(ClipboardTransforms::apply(c.transform, c.input).toStdString(), c.expected.toStdString())
            << c.name << " [" << ClipboardTransforms::rawValue(c.transform).toStdString() << "]";
    }
}

TEST(ClipboardTransform, CaseMappingFollowsUnicodeAndCountsCharactersNotUnits)
{
    expectCases({
        {"upper sharp s expands", T::Uppercase, u"straße"_s, u"STRASSE"_s},
        {"lower", T::Lowercase, u"ŽLTÝ Kôň ABC"_s, u"žltý kôň abc"_s},
        {"title", T::TitleCase, "hELLO wORLD", "Hello World"},
        {"title after punctuation", T::TitleCase, "one-two (three)", "One-Two (Three)"},
        {"title apostrophe inside a word", T::TitleCase, u"don't STOP, it’s 'here'"_s,
         u"Don't Stop, It’s 'Here'"_s},
        {"sentence leading digit", T::SentenceCase, "1 ABC", "1 abc"},
        {"sentence combining mark", T::SentenceCase, u"e\u0301CHO"_s, u"E\u0301cho"_s},
        {"plain text unchanged", T::PlainText, " <b>*x*</b>\r\n", " <b>*x*</b>\r\n"},
    });
}

TEST(ClipboardTransform, WhiteSpaceTransformsUseTheirOwnCharacterSets)
{
    expectCases({
        {"clean", T::Clean, "\t\tone  two\n\nthree ", "one two three"},
        {"clean space with combining mark", T::Clean, u"a \u0301b"_s, "a b"},
        {"clean keeps accented letter", T::Clean, u"e\u0301 x"_s, u"e\u0301 x"_s},
        {"trim", T::Trim, " \t\n a  b \r\n", "a  b"},
        {"remove space with its combining mark", T::RemoveSpaces, u"a \u0301b"_s, "ab"},
        {"remove spaces keeps zero width joiner text", T::RemoveSpaces, u"x\u200By"_s, u"x\u200By"_s},
        {"line breaks", T::RemoveLineBreaks, "a  \n\n  b c", "a b c"},
        {"carriage returns only", T::RemoveLineBreaks, "a\rb\r", "a\rb\r"},
        {"unicode space beside break", T::RemoveLineBreaks, u"a\u00A0\n\u2003b"_s, "a b"},
    });
}

TEST(ClipboardTransform, MarkdownAndHtmlBecomePlainText)
{
    expectCases({
        {"emphasis and snake case", T::MarkdownPlain, "**bold** and snake_case", "bold and snakecase"},
        {"not trimmed", T::MarkdownPlain, " *x* \n", " x \n"},
        {"tags become spaces", T::HtmlPlain, "a<br>b<br/>c", "a b c"},
    });
}

TEST(ClipboardTransform, UrlEncodingKeepsQueryCharactersAndRefusesBadEscapes)
{
    expectCases({
        {"space", T::UrlEncode, "a b&c", "a%20b&c"},
        {"not allowed", T::UrlEncode, "#[]%\"<>\\^`{|}", "%23%5B%5D%25%22%3C%3E%5C%5E%60%7B%7C%7D"},
        {"lone surrogate refused", T::UrlEncode, QString(QChar(0xD800)) + "a b", QString(QChar(0xD800)) + "a b"},
        {"non hex escape", T::UrlDecode, "%zz a%20b", "%zz a%20b"},
        {"plus stays", T::UrlDecode, "a+b%2B", "a+b+"},
        {"leading zero-width no-break space kept", T::UrlDecode, "%EF%BB%BFa", u"\uFEFFa"_s},
        {"encoded surrogate", T::UrlDecode, "%ED%A0%80", "%ED%A0%80"},
    });
    // Every text comes back from encoding and decoding as it was.
    for (const QString &text : {QString("a b&c=d?e#f"), u"Žltý kôň 😀 100%"_s, QString("%41")}) {
        const QString encoded = ClipboardTransforms::apply(T::UrlEncode, text);
        EXPECT_EQ(ClipboardTransforms::apply(T::UrlDecode, encoded), text) << text.toStdString();
    }
}

TEST(ClipboardTransform, JsonIsRewrittenWithSortedKeysOrLeftAlone)
{
    const QString pretty = "{\n  \"b\": [1, 2.5, true, null],\n  \"a\": {\"z\": \"ž\", \"y\": \"x/y\"}\n}";
    const QString minified = ClipboardTransforms::apply(T::JsonMinify, pretty);
    EXPECT_EQ(minified, u"{\"a\":{\"y\":\"x/y\",\"z\":\"ž\"},\"b\":[1,2.5,true,null]}"_s);

    const QString formatted = ClipboardTransforms::apply(T::JsonFormat, minified);
    EXPECT_TRUE(formatted.contains(u'\n'));
    EXPECT_LT(formatted.indexOf("\"a\""), formatted.indexOf("\"b\""));
    EXPECT_LT(formatted.indexOf("\"y\""), formatted.indexOf("\"z\""));
    EXPECT_EQ(ClipboardTransforms::apply(T::JsonMinify, formatted), minified) << "layouts agree";
    EXPECT_EQ(ClipboardTransforms::apply(T::JsonFormat, formatted), formatted) << "formatting is stable";

    const QString notJson = "not json {";
    expectCases({
        {"not json", T::JsonFormat, notJson, notJson},
        {"trailing garbage", T::JsonMinify, "{} x", "{} x"},
        {"exact 64-bit integer", T::JsonMinify, "[9007199254740993]", "[9007199254740993]"},
        {"integer beyond 64 bits kept", T::JsonMinify, "[123456789012345678901234567890]",
         "[123456789012345678901234567890]"},
        {"too precise decimal kept", T::JsonMinify, "[3.14159265358979323846264]",
         "[3.14159265358979323846264]"},
        {"escaped quote in key", T::JsonMinify, "{\"a\\\"1\": 2}", "{\"a\\\"1\":2}"},
    });
}

// Bad input ends in a result or the unchanged text, never a crash or hang.
TEST(ClipboardTransform, BadInputNeverBreaksATransform)
{
    const QString blank = " \t\r\n ";
    expectCases({
        {"url blank", T::UrlEncode, blank, "%20%09%0D%0A%20"},
    });

    // Invalid UTF-8 from a pasteboard arrives as replacement characters; lone surrogates can
    // still reach us through QString. Neither may crash any transform.
    const QString fromBadUtf8 = QString::fromUtf8("ok \xFF\xC3 \xED\xA0\x80 end");
    const QString loneSurrogates = QString(QChar(0xDC00)) + "x " + QChar(0xD83D);
    for (ClipboardTransform t : ClipboardTransforms::all()) {
        const std::string name = ClipboardTransforms::rawValue(t).toStdString();
        EXPECT_EQ(ClipboardTransforms::apply(t, QString()), QString()) << name;
        EXPECT_FALSE(ClipboardTransforms::apply(t, fromBadUtf8).isEmpty()) << name;
        EXPECT_FALSE(ClipboardTransforms::apply(t, loneSurrogates).isEmpty()) << name;
    }
    EXPECT_EQ(ClipboardTransforms::apply(T::UrlDecode, loneSurrogates + "%20"), loneSurrogates + "%20");
    EXPECT_EQ(ClipboardTransforms::apply(T::JsonMinify, "[\"" + loneSurrogates + "\"]"),
              "[\"" + loneSurrogates + "\"]");
}

} // namespace
