#include "core/ClipboardJar.h"
#include "core/ClipboardSnippet.h"

#include "support/CorePrinters.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

QJsonValue firstOf(const char *json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray("[") + json + "]", &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return document.array().at(0);
}

TEST(ClipboardJar, ReaderNeedsEveryKeyWithItsType)
{
    struct Case {
        const char *json;
        bool reads;
    };
    const Case cases[] = {
        {R"({"id":"J","name":"n","entryIDs":[]})", true},
        {R"({"id":"J","name":"n","entryIDs":["A"],"extra":1})", true},
        {R"({"id":"J","name":"n"})", false},
        {R"({"id":"J","name":"n","entryIDs":null})", false},
        {R"({"id":"J","name":"n","entryIDs":"A"})", false},
        {R"({"id":"J","name":"n","entryIDs":["A",2]})", false},
    };
    for (const Case &c : cases) {
        QString error;
        EXPECT_EQ(ClipboardJar::fromJson(firstOf(c.json), &error).has_value(), c.reads) << c.json;
        EXPECT_EQ(error.isEmpty(), c.reads) << c.json;
    }
}

TEST(RecordLists, OneBrokenRecordCostsOnlyItself)
{
    const DecodedList<ClipboardJar> jars = ClipboardJar::decodeList(
        R"([{"id":"J1","name":"a","entryIDs":[]},{"id":"J2","name":"b"},{"id":"J3","name":"c","entryIDs":["X"]}])");
    EXPECT_FALSE(jars.unreadable);
    EXPECT_EQ(jars.skippedCount, 1);
    ASSERT_EQ(jars.items.size(), 2);
    EXPECT_EQ(jars.items[0].id, "J1");
    EXPECT_EQ(jars.items[1].entryIDs, QStringList({"X"}));

    const DecodedList<ClipboardSnippet> snippets = ClipboardSnippet::decodeList(
        R"([7,{"id":"S","name":"n","trigger":"t","text":"x"}])");
    EXPECT_EQ(snippets.skippedCount, 1);
    ASSERT_EQ(snippets.items.size(), 1);
    EXPECT_EQ(snippets.items[0].trigger, "t");

    for (const QByteArray &broken : {QByteArray("{}"), QByteArray("[{]"), QByteArray(50000, '[')}) {
        EXPECT_TRUE(ClipboardJar::decodeList(broken).unreadable);
        EXPECT_TRUE(ClipboardSnippet::decodeList(broken).unreadable);
    }
}

} // namespace
