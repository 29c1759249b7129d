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

TEST(JsonRecordWriter, RandomUtf16ReadsBackUnchanged)
{
    QRandomGenerator random(6122026);
    for (int round = 0; round < 3000; ++round) {
        // Every ASCII character once, then random texts.
        QString text = round == 0 ? everyAsciiCharacter() : QString();
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

} // namespace
