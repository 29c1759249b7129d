#include "core/ClipboardPrivacy.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <random>

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
        {"invoice number in a layout no card has", "2024-0045-1250-00", false},
        {"invoice line", QStringLiteral("Faktúra 2024-0045, 1 250,00"), false},
        {"telephone with a label", "Tel.: +421 905 123 111", false},
        {"three spaces break the run", "4111   1111   1111   1111", false},
        {"a space and a dash break the run", "4111 -1111 -1111 -1111", false},
        {"lone surrogate after a card number", "4111 1111 1111 1111" + QString(QChar(0xD800)), true},
        {"part of a longer run", "1234 4111 1111 1111 1111", false},
        {"raised last digit among words", "Card: 4111 1111 1111 1112", false},
    });
}

TEST(ClipboardPrivacy, CardNumbersInEveryLayoutAndJointBesideOtherNumbers)
{
    struct Card {
        const char *layout;
        QList<QString> groups;
        QString raisedLastDigit;
    };
    const QList<Card> cards{
        {"4-4-4-4", {"4111", "1111", "1111", "1111"}, "4111111111111112"},
        // Its first sixteen digits fail the check: only the nineteen together are a card.
        {"4-4-4-4-3", {"6011", "1111", "1111", "1111", "110"}, "6011111111111111111"},
        {"4-6-5", {"3782", "822463", "10005"}, "378282246310006"},
        {"4-6-4", {"3056", "930902", "5904"}, "30569309025905"},
        {"13 digits", {"4222222222222"}, "4222222222223"},
    };
    const QList<QString> joints{" ", "-", ".", "_", "  ", "", QStringLiteral("\u00a0")};
    const QList<QString> surroundings{
        "%1",
        "%1 12/28",
        "Card %1 05 28",
        "%1-123",
        "Order 12 %1",
        QStringLiteral("Číslo karty: %1, platná do 05.28, CVV 123."),
        "first line\n%1\nlast line",
    };
    for (const Card &card : cards) {
        for (const QString &joint : joints) {
            const QString number = card.groups.join(joint);
            for (const QString &surrounding : surroundings)
                EXPECT_TRUE(ClipboardPrivacy::looksSensitive(surrounding.arg(number)))
                    << card.layout << " joined by '" << qPrintable(joint) << "' in: " << qPrintable(surrounding.arg(number));
        }
        EXPECT_FALSE(ClipboardPrivacy::looksSensitive(card.raisedLastDigit)) << card.layout;
        EXPECT_FALSE(ClipboardPrivacy::looksSensitive("Card " + card.raisedLastDigit + " 05/28")) << card.layout;
    }
}

TEST(ClipboardPrivacy, EverydayNumbersAreKept)
{
    // Most rows hold four groups of four that pass the Luhn check, or digits that do when joined.
    expectAll({
        {"Slovak IBAN", "SK31 1200 0000 1987 4263 7541", false},
        {"Slovak IBAN unbroken", "SK3112000000198742637541", false},
        {"Slovak IBAN in a sentence", "IBAN: SK31 1200 0000 1987 4263 7541, VS 2024", false},
        {"Slovak account without its prefix", "1200 0000 1987 4263 7541", false},
        {"German IBAN", "DE89 3704 0044 0532 0130 00", false},
        {"Austrian IBAN", "AT70 4111 1111 1111 1111", false},
        {"card digits after a longer group", "1234 4111 1111 1111 1111", false},
        {"card digits before a longer group", "4111 1111 1111 1111 2028", false},
        {"Slovak mobile", "+421 905 123 456", false},
        {"mobile, national form", "0905 123 456", false},
        {"mobile unbroken", "+421905123456", false},
        {"Bratislava landline", "+421 2 5443 2211", false},
        {"invoice and amount", QStringLiteral("Faktúra 2024-0042, 1 250,00"), false},
        {"large amount", QStringLiteral("Suma: 12 345 678,90 €"), false},
        {"dates", "07.12.2026, 2026-12-07 05:32, 7. 12. 2026", false},
        {"company numbers", QStringLiteral("IČO: 36 123 456, DIČ: 2020123456, IČ DPH: SK2020123456"), false},
        {"column of four-digit numbers", "4111\n1111\n1111\n1111", false},
        {"column with Windows line ends", "4111\r\n1111\r\n1111\r\n1111\r\n", false},
        {"column with trailing spaces", "4111 \n1111 \n1111 \n1111 ", false},
        {"row of cells", "4111\t1111\t1111\t1111", false},
        {"groups with mixed joints", "4111 1111-1111.1111", false},
        {"slashes", "4111/1111/1111/1111", false},
    });
}

// Slovak IBANs as a bank issues them: a bank code, a six-digit prefix and a ten-digit account,
// with check digits by ISO 7064 mod 97-10.
QString slovakIban(std::mt19937 &random)
{
    std::uniform_int_distribution<int> digit(0, 9);
    QString bban;
    for (int i = 0; i < 20; ++i)
        bban += QChar(u'0' + digit(random));
    // The country code follows the account, letters counted as 10 + their place: S = 28, K = 20.
    int remainder = 0;
    for (QChar c : bban + "282000")
        remainder = (remainder * 10 + c.digitValue()) % 97;
    return QStringLiteral("SK%1%2").arg(98 - remainder, 2, 10, QChar(u'0')).arg(bban);
}

bool ibanCheckDigitsHold(const QString &iban)
{
    const QString rotated = iban.mid(4) + iban.left(4);
    int remainder = 0;
    for (QChar c : rotated) {
        const QString value = c.isLetter() ? QString::number(c.unicode() - u'A' + 10) : QString(c);
        for (QChar d : value)
            remainder = (remainder * 10 + d.digitValue()) % 97;
    }
    return remainder == 1;
}

bool luhnHolds(const QString &digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        int d = digits.at(digits.size() - 1 - i).digitValue();
        if (i % 2 == 1)
            d = d * 2 > 9 ? d * 2 - 9 : d * 2;
        sum += d;
    }
    return sum % 10 == 0;
}

QString inFours(const QString &text)
{
    QStringList groups;
    for (qsizetype i = 0; i < text.size(); i += 4)
        groups << text.mid(i, 4);
    return groups.join(u' ');
}

TEST(ClipboardPrivacy, SlovakIbansWhoseGroupsLookLikeACardAreKept)
{
    std::mt19937 random(20261207);
    int kept = 0;
    for (int drawn = 0; kept < 20; ++drawn) {
        ASSERT_LT(drawn, 2000) << "too few account numbers with a card-like stretch";
        const QString iban = slovakIban(random);
        ASSERT_TRUE(ibanCheckDigitsHold(iban)) << qPrintable(iban);
        // Only accounts with four groups that would pass as a card on their own put the rule
        // to the test; about one in five has them.
        const QString cardLike = luhnHolds(iban.mid(4, 16)) ? iban.mid(4, 16)
            : luhnHolds(iban.mid(8, 16))                    ? iban.mid(8, 16)
                                                            : QString();
        if (cardLike.isEmpty())
            continue;
        ++kept;
        ASSERT_TRUE(ClipboardPrivacy::looksSensitive(inFours(cardLike))) << qPrintable(cardLike);
        for (const QString &text : {inFours(iban), iban, "IBAN: " + inFours(iban) + ", VS 12", inFours(iban.mid(4)),
                                    inFours(iban).replace(u' ', u'-')})
            EXPECT_FALSE(ClipboardPrivacy::looksSensitive(text)) << qPrintable(text);
    }
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
