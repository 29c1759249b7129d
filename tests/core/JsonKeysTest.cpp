#include "core/JsonKeys.h"

#include <gtest/gtest.h>

namespace {

TEST(JsonKeys, FieldNamesOfObjectsAndArraysOfObjects)
{
    struct Case {
        const char *name;
        QString json;
        QStringList expected;
    };
    const Case cases[] = {
        {"object keys sorted", R"({"b": 1, "a": {"nested": 2}})", {"a", "b"}},
        {"union over an array of objects", R"([{"x": 1, "y": 2}, {"y": 3, "z": 4}])", {"x", "y", "z"}},
        {"array mixing objects and numbers", R"([{"a": 1}, 2])", {}},
        {"malformed", R"({"a": )", {}},
        {"upper case before lower case", R"({"b": 1, "B": 2, "a": 3})", {"B", "a", "b"}},
        {"code point order beyond the BMP", QString(R"({"%1": 1, "%2": 2})").arg(QString::fromUcs4(U"\U0001F600"), QString(QChar(0xFF21))),
         {QString(QChar(0xFF21)), QString::fromUcs4(U"\U0001F600")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(JsonKeys::fieldNames(c.json), c.expected) << c.name;
}

TEST(JsonKeys, HostileInputGivesNoNamesWithoutCrashing)
{
    // Nesting far beyond what the parser accepts.
    const QString deep = QString("[").repeated(100000) + QString("]").repeated(100000);
    EXPECT_TRUE(JsonKeys::fieldNames(deep).isEmpty());
    // A lone surrogate cannot be encoded; the text is refused rather than misread.
    EXPECT_TRUE(JsonKeys::fieldNames(QString(QChar(0xD800))).isEmpty());
    // A large object still yields every key once.
    QString big = "{";
    for (int i = 0; i < 20000; ++i)
        big += QString("\"k%1\": 0,").arg(i, 5, 10, QChar('0'));
    big += "\"z\": 0}";
    const QStringList names = JsonKeys::fieldNames(big);
    ASSERT_EQ(names.size(), 20001);
    EXPECT_EQ(names.first(), "k00000");
    EXPECT_EQ(names.last(), "z");
}

} // namespace
