#include "core/JsonShape.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The platform parser is the reference: the shape check must agree with it on every text.
bool platformAccepts(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    return error.error == QJsonParseError::NoError && (document.isObject() || document.isArray());
}

// Qt's parser forgives a few things strict JSON forbids; copied text is only code when it is
// strict JSON, as the classifier promises.
const QString kLenientCases[] = {
    "[1.]", "[.5]", "[-.5]", "[\"\\x\"]", "[\"a\tb\"]", "[\"a\nb\"]", "[\"a\x01\"]",
};

bool hasLenientConstruct(const QString &text)
{
    static const QRegularExpression looseFraction(QStringLiteral(R"((^|[^0-9])\.|\.($|[^0-9]))"));
    const bool hasControl = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20; });
    return hasControl || text.contains(u'\\') || looseFraction.match(text).hasMatch();
}

TEST(JsonShape, RefusesWhatOnlyALenientParserAccepts)
{
    for (const QString &text : kLenientCases) {
        EXPECT_TRUE(platformAccepts(text)) << text.toStdString();
        EXPECT_TRUE(hasLenientConstruct(text)) << text.toStdString();
        EXPECT_FALSE(JsonShape::isContainerDocument(text)) << text.toStdString();
    }
}

TEST(JsonShape, AgreesWithThePlatformParserOnRandomTexts)
{
    // Short texts over the JSON alphabet reach every branch of the grammar; a fixed seed keeps
    // any disagreement reproducible.
    const QString alphabet = QStringLiteral("{}[]\":, 0123-+.eEtrufalsn\\u/b\t\n");
    QRandomGenerator random(20261206);
    int accepted = 0;
    for (int round = 0; round < 50000; ++round) {
        QString text = random.bounded(2) ? QStringLiteral("[") : QStringLiteral("{\"");
        const int length = random.bounded(12);
        for (int i = 0; i < length; ++i)
            text += alphabet.at(random.bounded(alphabet.size()));
        const bool platform = platformAccepts(text);
        const bool shape = JsonShape::isContainerDocument(text);
        accepted += shape;
        // Never more accepting than the platform; exactly as accepting where it is strict.
        if (shape) {
            ASSERT_TRUE(platform) << text.toStdString();
        } else if (!hasLenientConstruct(text)) {
            ASSERT_FALSE(platform) << text.toStdString();
        }
    }
    // The generator must produce valid documents too, or the comparison proves little.
    EXPECT_GT(accepted, 50);
}

} // namespace
