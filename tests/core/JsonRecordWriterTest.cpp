#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"
#include "core/ClipboardSnippet.h"
#include "core/JsonRecordWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// What the platform's parser reads back from one written string literal.
std::optional<QString> readBack(const QByteArray &literal)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson("[" + literal + "]", &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return document.array().at(0).toString();
}

QString everyAsciiCharacter()
{
    QString text;
    for (char16_t unit = 0; unit < 0x80; ++unit)
        text.append(QChar(unit));
    return text;
}

TEST(JsonRecordWriter, StringsReadBackUnchanged)
{
    const QString cases[] = {
        "",
        everyAsciiCharacter(),
        "quote \" backslash \\ slash /",
        QString::fromUtf8("ščťžýáíé ÄÖÜ ß"),
        QString::fromUtf8("\u07ff\u0800\uffff\ufffd"),
        QString::fromUtf8("emoji 🙂 and 👩‍👩‍👧"),
        QString(QChar(0xd800)),
        QString(QChar(0xdfff)) + "x",
        QString(QChar(0xd83d)) + QChar(0xd83d) + QChar(0xde42),
        QString(1, QChar(0)) + "after NUL",
        "line\r\nbreaks\u2028and\u2029separators",
    };
    for (const QString &text : cases) {
        QByteArray literal;
        JsonRecordWriter::appendString(literal, text);
        EXPECT_EQ(readBack(literal), text) << literal.toStdString();
    }
}

TEST(JsonRecordWriter, RandomUtf16ReadsBackUnchanged)
{
    QRandomGenerator random(6122026);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = random.bounded(24);
        for (int i = 0; i < length; ++i) {
            // Mostly the interesting ranges: controls, ASCII, two- and three-byte forms, surrogates.
            static constexpr char16_t ranges[][2] = {{0, 0x20}, {0x20, 0x80}, {0x80, 0x800}, {0x800, 0xd800},
                                                     {0xd800, 0xe000}, {0xe000, 0xffff}};
            const auto &range = ranges[random.bounded(6)];
            text.append(QChar(static_cast<char16_t>(random.bounded(int(range[0]), int(range[1])))));
        }
        QByteArray literal;
        JsonRecordWriter::appendString(literal, text);
        ASSERT_EQ(readBack(literal), text) << literal.toStdString();
    }
}

TEST(JsonRecordWriter, ListsMatchTheRecordsJsonObjects)
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.text = everyAsciiCharacter() + QString::fromUtf8("ž🙂") + QChar(0xdc00);
    entry.copiedAt = QDateTime::fromMSecsSinceEpoch(1765051200123, Qt::UTC);
    entry.sourceApp = "Terminal";
    entry.kind = ClipboardKind::Code;
    entry.imageData = QByteArray("\x00\x01\xfe\xff", 4);
    entry.fileURLs = {"/a \"b\"", QString::fromUtf8("/č\\d")};
    entry.screenshotFileURL = "/s.png";
    entry.imageFilePath = "";
    entry.isScreenshot = true;
    entry.temporaryUntil = entry.copiedAt.addMSecs(-987654321);
    ClipboardEntry minimal;
    minimal.id = "x";
    ClipboardEntry farPast = minimal;
    farPast.copiedAt = QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);

    const QList<ClipboardEntry> entries{entry, minimal, farPast};
    QJsonArray expected;
    for (const ClipboardEntry &e : entries)
        expected.append(e.toJson());
    EXPECT_EQ(QJsonDocument::fromJson(ClipboardEntry::encodeList(entries)).array(), expected);

    const QList<ClipboardJar> jars{{"J", QString::fromUtf8("Práca \"dnes\""), {"A", "B"}}, {"K", "", {}}};
    QJsonArray expectedJars;
    for (const ClipboardJar &jar : jars)
        expectedJars.append(jar.toJson());
    EXPECT_EQ(QJsonDocument::fromJson(ClipboardJar::encodeList(jars)).array(), expectedJars);

    const QList<ClipboardSnippet> snippets{{"S", "n", ";;", "tab\there\nnewline"}};
    QJsonArray expectedSnippets;
    for (const ClipboardSnippet &snippet : snippets)
        expectedSnippets.append(snippet.toJson());
    EXPECT_EQ(QJsonDocument::fromJson(ClipboardSnippet::encodeList(snippets)).array(), expectedSnippets);
}

TEST(JsonRecordWriter, DatesKeepTheirMilliseconds)
{
    // Shortest round-trip number formatting must not lose the fraction of a second.
    QRandomGenerator random(42);
    for (int round = 0; round < 2000; ++round) {
        ClipboardEntry entry;
        entry.id = "x";
        const qint64 msecs = random.bounded(Q_INT64_C(0), Q_INT64_C(4102444800000)) - Q_INT64_C(978307200000);
        entry.copiedAt = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
        const DecodedList<ClipboardEntry> read = ClipboardEntry::decodeList(ClipboardEntry::encodeList({entry}));
        ASSERT_EQ(read.items.size(), 1);
        ASSERT_EQ(read.items.front().copiedAt, entry.copiedAt) << msecs;
    }
}

} // namespace
