#include "core/ScreenshotNames.h"
#include "core/TextFolding.h"

#include <QLocale>

#include <gtest/gtest.h>

// Folding must not depend on the user's locale (a Turkish "I" would otherwise lower to a dotless
// "ı") and must keep letters outside the basic plane whole while still folding their case and
// dropping the marks on them.
TEST(TextFolding, FoldsCaseAndMarksAlikeInEveryLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const struct {
        QString text;
        QString expected;
    } cases[] = {
        {QStringLiteral("SNÍMKA Obrazovky"), QStringLiteral("snimka obrazovky")},
        {QStringLiteral("IMAGE"), QStringLiteral("image")},
        {QString::fromUtf8("\U00010400\u0301x"), QString::fromUtf8("\U00010428x")},
        {QString::fromUtf8("\U0001F600\u0301"), QString::fromUtf8("\U0001F600")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextFolding::folded(c.text), c.expected) << c.text.toStdString();
    EXPECT_TRUE(ScreenshotNames::isScreenshotSource(QStringLiteral("SNIMKA OBRAZOVKY")));
    EXPECT_TRUE(ScreenshotNames::isScreenshotFileName(QStringLiteral("SNIMKA OBRAZOVKY 1.PNG")));
    QLocale::setDefault(previous);
}
