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
        {"upper case, equals", "PASSWORD=abc", true},
        {"passwd with spaces", "Passwd = x", true},
        {"passcode", "passcode:1234abcd", true},
        {"secret in a sentence", "the secret: opensesame, keep it", true},
        {"api_key", "api_key=abc123", true},
        {"api-key", "API-Key: abc", true},
        {"api key", "api key: abc", true},
        {"apikey", "apikey=abc", true},
        {"access token", "access_token=eyJhbGciOi", true},
        {"refresh token spaced", "refresh token: r1", true},
        {"refreshtoken", "REFRESHTOKEN=r1", true},
        {"refresh-token", "refresh-token=r1", true},
        {"cvv", "CVV: 123", true},
        {"non-ASCII value", "PASSWORD: ÜBERgeheim", true},
        {"Kelvin sign lower-cases to k", QStringLiteral("API_\u212aEY=abc"), true},
        {"fullwidth letters are other letters", QStringLiteral("\uff30\uff21\uff33\uff33\uff37\uff2f\uff32\uff24: x"), false},
        {"value after a no-break space", QStringLiteral("password:\u00a0abc"), true},
        {"separator and nothing", "password:", false},
        {"separator and spaces", "password =    ", false},
        {"separator then line break", "password =\n", false},
        {"only no-break spaces after", QStringLiteral("password: \u00a0\u2003"), false},
        {"word without separator", "I forgot my password yesterday", false},
        {"name glued to a word", "mypassword: x", false},
        {"name glued to a non-ASCII letter", QStringLiteral("čpassword=tajné"), false},
        {"unlisted name", QStringLiteral("heslo: tajné"), false},
    });
}

TEST(ClipboardPrivacy, OneTimeCodesNeedTheDigitsRightAfterTheName)
{
    expectAll({
        {"one-time code", "one-time code: 123456", true},
        {"onetime", "Onetime code 1234", true},
        {"one time, eight digits", "One time code 12345678", true},
        {"verification", "Verification code: 4821", true},
        {"verification without code", "verification 482193", true},
        {"security glued", "security:1234", true},
        {"otp", "OTP 8472", true},
        {"otpcode", "otpcode:1234", true},
        {"three digits", "security code 123", false},
        {"nine digits", "otp: 123456789", false},
        {"word between", "Your verification code is 482193", false},
        {"otp is", "the otp is 1234", false},
        {"one and time on two lines", "one\ntime code 1234", false},
        {"glued to a non-ASCII letter", QStringLiteral("žotp 1234"), false},
    });
}

TEST(ClipboardPrivacy, BareSixDigitCodeIsTheWholeText)
{
    expectAll({
        {"six digits", "123456", true},
        {"five digits", "12345", false},
        {"seven digits", "1234567", false},
        {"leading space", " 123456", false},
        {"final line break", "123456\n", false},
        {"final CRLF", "123456\r\n", false},
        {"final line separator", QStringLiteral("123456\u2028"), false},
        {"two final line breaks", "123456\n\n", false},
        {"on the second line", "code\n123456", false},
        {"Arabic-Indic digits", QStringLiteral("\u0661\u0662\u0663\u0664\u0665\u0666"), false},
    });
}

TEST(ClipboardPrivacy, CardNumbersPassingLuhn)
{
    expectAll({
        {"grouped by spaces", "4111 1111 1111 1111", true},
        {"last digit raised", "4111 1111 1111 1112", false},
        {"grouped by hyphens", "5555-5555-5555-4444", true},
        {"ungrouped", "4111111111111111", true},
        {"fifteen digits", "3782 822463 10005", true},
        {"surrounded by white space", "  4111 1111 1111 1111\n", true},
        {"no-break spaces", QStringLiteral("4111\u00a01111\u00a01111\u00a01111"), true},
        {"en dashes", QStringLiteral("4111\u20131111\u20131111\u20131111"), true},
        {"thirteen zeros", "0000000000000", true},
        {"nineteen zeros", "0000000000000000000", true},
        {"twelve zeros", "000000000000", false},
        {"twenty zeros", "00000000000000000000", false},
        {"Arabic-Indic digits", QStringLiteral("\u0664\u0661\u0661\u0661 \u0661\u0661\u0661\u0661 \u0661\u0661\u0661\u0661 "
                                               "\u0661\u0661\u0661\u0661"), true},
        {"fullwidth digits", QStringLiteral("\uff14\uff11\uff11\uff11\uff11\uff11\uff11\uff11\uff11\uff11\uff11\uff11"
                                            "\uff11\uff11\uff11\uff11"), true},
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
        {"invoice from the report", QStringLiteral("Faktúra 2024-0042, 1 250,00"), false},
        {"meeting line", QStringLiteral("Stretnutie 12. 3. 2024 o 14:18, miestnosť 2.17"), false},
        {"telephone with a label", "Tel.: +421 905 123 111", false},
        {"digits with dots", "4111.1111.1111.1111", false},
        {"two separators break the run", "4111  1111 1111 1111", false},
        {"part of a longer run", "1234 4111 1111 1111 1111", false},
        {"raised last digit among words", "Card: 4111 1111 1111 1112", false},
    });
}

TEST(ClipboardPrivacy, BadInputGivesAnAnswerWithoutFailing)
{
    const QString loneHigh(QChar(0xD800));
    const QString loneLow(QChar(0xDC00));
    expectAll({
        {"empty", QString(), false},
        {"white space only", " \t\n\u00a0 ", false},
        {"invalid UTF-8 around a secret", QString::fromUtf8("\xff\xfepassword: \xc3"), true},
        {"invalid UTF-8 only", QString::fromUtf8("\xff\xfe\xfd\xc3\x28"), false},
        {"lone surrogate after a secret", "password: x " + loneHigh, true},
        {"lone surrogate before a code", loneLow + " otp 123456", true},
        {"lone surrogate after a card number", "4111 1111 1111 1111" + loneHigh, true},
        {"NUL characters", QString::fromUtf8(QByteArrayView("password\0: x", 12)), false},
        {"NUL before a secret", QString::fromUtf8(QByteArrayView("\0password: x", 12)), true},
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
        {"code name, spaces, code word, spaces", "security" + spaces + "code" + spaces + ":" + spaces + "1234", true},
        {"no digits after many spaces", "otp" + spaces + "x", false},
        {"code after a long false start", "otp" + spaces + "x, otp 1234", true},
        {"secret after a long false start", "password" + spaces + "x, password: y", true},
        {"value after many spaces", "password" + spaces + "=" + spaces + "x", true},
        {"no separator after many spaces", "password" + spaces + "x", false},
        {"ten megabytes of digits", QString(tenMegabytes, u'4'), false},
        {"ten megabytes of spaces", spaces, false},
    });
}

} // namespace
