#include "core/CanonicalText.h"
#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"
#include "core/ClipboardSnippet.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(CanonicalText, TextsAreEqualWhenTheyShowTheSameCharacters)
{
    struct Case {
        const char *name;
        QString a;
        QString b;
        bool equal;
    };
    const Case cases[] = {
        {"precomposed and combining acute", u"Sn\u00edmka"_s, u"Sni\u0301mka"_s, true},
        {"ring above, Angstrom sign", u"\u00c5"_s, u"\u212b"_s, true},
        {"accent against none", u"\u00e9"_s, u"e"_s, false},
        {"ligature is only compatibly equal", u"\ufb01"_s, u"fi"_s, false},
        {"different lone surrogates", QString(QChar(0xd800)), QString(QChar(0xdc00)), false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CanonicalText::equal(c.a, c.b), c.equal) << c.name;
        EXPECT_EQ(CanonicalText::equal(c.b, c.a), c.equal) << c.name << " (swapped)";
    }
}

TEST(CanonicalText, RecordsCompareTheirTextsCanonically)
{
    ClipboardEntry entry;
    entry.id = "0E1D6B55-8A41-4C1F-9A8B-5A7F2F0C3D11";
    entry.text = u"Caf\u00e9 na rohu"_s;
    entry.copiedAt = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);
    entry.sourceApp = u"Spr\u00e1vca"_s;
    entry.fileURLs = {u"/home/jan/Caf\u00e9.txt"_s};
    entry.screenshotFileURL = u"/home/jan/Sn\u00edmka.png"_s;

    struct Case {
        const char *name;
        std::function<void(ClipboardEntry &)> change;
        bool equal;
    };
    const Case cases[] = {
        {"unchanged", [](ClipboardEntry &) {}, true},
        {"text decomposed", [](ClipboardEntry &e) { e.text = u"Cafe\u0301 na rohu"_s; }, true},
        {"file path decomposed", [](ClipboardEntry &e) { e.fileURLs = {u"/home/jan/Cafe\u0301.txt"_s}; }, true},
        {"accent dropped", [](ClipboardEntry &e) { e.text = u"Cafe na rohu"_s; }, false},
        {"screenshot path absent", [](ClipboardEntry &e) { e.screenshotFileURL.reset(); }, false},
        {"same instant in another zone",
         [](ClipboardEntry &e) { e.copiedAt = e.copiedAt.toOffsetFromUtc(3600); }, true},
    };
    for (const Case &c : cases) {
        ClipboardEntry changed = entry;
        c.change(changed);
        EXPECT_EQ(changed == entry, c.equal) << c.name;
        EXPECT_EQ(changed != entry, !c.equal) << c.name;
    }

    const ClipboardJar jar{"J1", u"Pr\u00e1ca"_s, {"A", "B"}};
    EXPECT_EQ(jar, (ClipboardJar{"J1", u"Pra\u0301ca"_s, {"A", "B"}}));
    EXPECT_NE(jar, (ClipboardJar{"J1", u"Praca"_s, {"A", "B"}}));
    EXPECT_NE(jar, (ClipboardJar{"J1", u"Pr\u00e1ca"_s, {"B", "A"}}));

    const ClipboardSnippet snippet{"S1", "Pozdrav", u";d\u0148"_s, u"Dobr\u00fd de\u0148"_s};
    EXPECT_EQ(snippet, (ClipboardSnippet{"S1", "Pozdrav", u";dn\u030c"_s, u"Dobry\u0301 den\u030c"_s}));
    EXPECT_NE(snippet, (ClipboardSnippet{"S1", "Pozdrav", u";dn"_s, u"Dobr\u00fd de\u0148"_s}));
}

} // namespace
