#include "platform/fake/FakeSettingsStore.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

enum class Type { Bool, Integer, Text, Bytes, TextList };

// Which typed readers see a raw JSON value.
struct RawCase {
    const char *name;
    QJsonValue raw;
    std::optional<bool> asBool;
    std::optional<qint64> asInteger;
    std::optional<QString> asText;
    std::optional<QByteArray> asBytes;
    std::optional<QStringList> asTextList;
};

TEST(SettingsStore, AValueOfAnotherTypeReadsAsAbsent)
{
    const RawCase cases[] = {
        {"true", true, true, {}, {}, {}, {}},
        {"integer", 100, {}, 100, {}, {}, {}},
        {"integral double", 5.0, {}, 5, {}, {}, {}},
        {"fraction", 1.5, {}, {}, {}, {}, {}},
        {"beyond exact doubles", 1e300, {}, {}, {}, {}, {}},
        {"beyond 64 bits, negative", -1e19, {}, {}, {}, {}, {}},
        {"one is not true", 1, {}, 1, {}, {}, {}},
        {"text", QStringLiteral("dark"), {}, {}, QStringLiteral("dark"), {}, {}},
        {"text of a boolean", QStringLiteral("true"), {}, {}, QStringLiteral("true"), {}, {}},
        {"bytes", QJsonObject{{"data", "AAEC"}}, {}, {}, {}, QByteArray("\x00\x01\x02", 3), {}},
        {"bytes with bad Base64", QJsonObject{{"data", "!!!"}}, {}, {}, {}, {}, {}},
        {"object with extra field", QJsonObject{{"data", "AA=="}, {"x", 1}}, {}, {}, {}, {}, {}},
        {"list of texts", QJsonArray{"a", "b"}, {}, {}, {}, {}, QStringList{"a", "b"}},
        {"mixed list", QJsonArray{"a", 1}, {}, {}, {}, {}, {}},
        {"null", QJsonValue::Null, {}, {}, {}, {}, {}},
    };
    for (const RawCase &c : cases) {
        FakeSettingsStore store;
        store.setRaw("k", c.raw);
        EXPECT_EQ(store.boolValue("k"), c.asBool) << c.name;
        EXPECT_EQ(store.integerValue("k"), c.asInteger) << c.name;
        EXPECT_EQ(store.textValue("k"), c.asText) << c.name;
        EXPECT_EQ(store.bytesValue("k"), c.asBytes) << c.name;
        EXPECT_EQ(store.textListValue("k"), c.asTextList) << c.name;
        EXPECT_TRUE(store.contains("k")) << c.name;
    }
}

TEST(SettingsStore, TypedWritesReadBackAndReplaceEachOther)
{
    FakeSettingsStore store;
    const QByteArray binary("\x00\xff\x10 json", 9);
    ASSERT_TRUE(store.setBool("b", true));
    ASSERT_TRUE(store.setInteger("i", Q_INT64_C(9007199254740993)));
    ASSERT_TRUE(store.setText("t", QStringLiteral("Snímka obrazovky \"x\"")));
    ASSERT_TRUE(store.setBytes("d", binary));
    ASSERT_TRUE(store.setTextList("l", {"x", "", "ž"}));
    EXPECT_EQ(store.boolValue("b"), true);
    EXPECT_EQ(store.integerValue("i"), Q_INT64_C(9007199254740993));
    EXPECT_EQ(store.textValue("t"), QStringLiteral("Snímka obrazovky \"x\""));
    EXPECT_EQ(store.bytesValue("d"), binary);
    EXPECT_EQ(store.textListValue("l"), (QStringList{"x", "", "ž"}));
    EXPECT_EQ(store.values().value("d").toObject().value("data").toString(), QString::fromLatin1(binary.toBase64()));

    // A later write of another type wins; the old type then reads as absent.
    ASSERT_TRUE(store.setText("b", QStringLiteral("no")));
    EXPECT_EQ(store.boolValue("b"), std::nullopt);
    ASSERT_TRUE(store.remove("t"));
    EXPECT_FALSE(store.contains("t"));
    EXPECT_EQ(store.textValue("t"), std::nullopt);
    EXPECT_EQ(store.textValue("never written"), std::nullopt);
}

} // namespace
