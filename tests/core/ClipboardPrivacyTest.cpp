#include "core/ClipboardPrivacy.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char *name;
    QString text;
    bool sensitive;
};

void expectAll(const std::initializer_list<Case> &cases)
{
    for (const Case &c : cases)
        EXPECT_EQ(ClipboardPrivacy::looksSensitive(c.text), c.sensitive) << c.name;
}

TEST(ClipboardPrivacy, NamedSecretsNeedASeparatorAndAValue)
{
    expectAll({
        {"password colon", "password: hunter2", true},
        {"access token", "access_token=eyJhbGciOi", true},
        {"Kelvin sign lower-cases to k", QStringLiteral("API_\u212aEY=abc"), true},
        {"fullwidth letters are other letters", QStringLiteral("\uff30\uff21\uff33\uff33\uff37\uff2f\uff32\uff24: x"), false},
        {"separator and nothing", "password:", false},
        {"only no-break spaces after", QStringLiteral("password: \u00a0\u2003"), false},
        {"word without separator", "I forgot my password yesterday", false},
        {"name glued to a non-ASCII letter", QStringLiteral("čpassword=tajné"), false},
        {"unlisted name", QStringLiteral("heslo: tajné"), false},
    });
}

TEST(ClipboardPrivacy, OneTimeCodesNeedTheDigitsRightAfterTheName)
{
    expectAll({
        {"one-time code", "one-time code: 123456", true},
        {"otp", "OTP 8472", true},
        {"nine digits", "otp: 123456789", false},
        {"word between", "Your verification code is 482193", false},
        {"one and time on two lines", "one\ntime code 1234", false},
        {"glued to a non-ASCII letter", QStringLiteral("žotp 1234"), false},
    });
}

TEST(ClipboardPrivacy, BareSixDigitCodeIsTheWholeText)
{
    expectAll({
        {"six digits", "123456", true},
        {"seven digits", "1234567", false},
        {"final line break", "123456\n", false},
        {"Arabic-Indic digits", QStringLiteral("\u0661\u0662\u0663\u0664\u0665\u0666"), false},
    });
}

TEST(ClipboardPrivacy, CardNumbersPassingLuhn)
{
    expectAll({
        {"grouped by spaces", "4111 1111 1111 1111", true},
        {"last digit raised", "4111 1111 1111 1112", false},
        {"no-break spaces", QStringLiteral("4111\u00a01111\u00a01111\u00a01111"), true},
        {"twelve zeros", "000000000000", false},
        {"Arabic-Indic digits", QStringLiteral("\u0664\u0661\u0661\u0661 \u0661\u0661\u0661\u0661 \u0661\u0661\u0661\u0661 "
                                               "\u0661\u0661\u0661\u0661"), true},
        {"digits outside the basic plane",
         QString::fromUcs4(U"\U0001D7D2\U0001D7CF\U0001D7CF\U0001D7CF \U0001D7CF\U0001D7CF\U0001D7CF\U0001D7CF "
                           U"\U0001D7CF\U0001D7CF\U0001D7CF\U0001D7CF \U0001D7CF\U0001D7CF\U0001D7CF\U0001D7CF"), true},
        {"telephone number", "+421 905 123 111", false},
        {"vulgar fraction among digits", QStringLiteral("4111 1111 1111 111\u00bd"), false},
    });
}

TEST(ClipboardPrivacy, CardNumbersAmongWordsAreFoundRunByRun)
{
    // Each ordinary text's digits, joined, pass the Luhn check: only a run of its own may count.
    expectAll({
        {"labelled", "Card: 4111 1111 1111 1111", true},
        {"brand before the digits", "Visa 4111111111111111", true},
        {"Slovak label, hyphens", QStringLiteral("Číslo karty 4111-1111-1111-1111"), true},
        {"expiry after the number", "Card: 4111 1111 1111 1111 exp 12/27", true},
        {"currency sign after", QStringLiteral("4111 1111 1111 1111 \u20ac"), true},
        {"second run is the card", "Objednávka 17, karta 5555 5555 5555 4444.", true},
        {"invoice digits alone", "2024-0045-1250-00", true},
        {"invoice line", QStringLiteral("Faktúra 2024-0045, 1 250,00"), false},
        {"telephone with a label", "Tel.: +421 905 123 111", false},
        {"digits with dots", "4111.1111.1111.1111", false},
        {"two separators break the run", "4111  1111 1111 1111", false},
        {"lone surrogate after a card number", "4111 1111 1111 1111" + QString(QChar(0xD800)), true},
        {"part of a longer run", "1234 4111 1111 1111 1111", false},
        {"raised last digit among words", "Card: 4111 1111 1111 1112", false},
    });
}

TEST(ClipboardPrivacy, HugeTextsAreCheckedInFull)
{
    constexpr qsizetype tenMegabytes = 10 * 1024 * 1024;
    const QString spaces(tenMegabytes, u' ');
    QString prose;
    prose.reserve(tenMegabytes + 64);
    while (prose.size() < tenMegabytes)
        prose += QStringLiteral("Obyčajný text o heslách, kódoch a kartách 2024 bez tajomstiev. ");

    expectAll({
        {"ten megabytes of prose", prose, false},
        {"secret at the end of prose", prose + "\napi_key=abc", true},
        {"code after many spaces", "otp" + spaces + "123456", true},
        {"secret after a long false start", "password" + spaces + "x, password: y", true},
        {"ten megabytes of digits", QString(tenMegabytes, u'4'), false},
    });
}

} // namespace
