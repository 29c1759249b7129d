// The whole program with the Paste Stack's paste-next shortcut pressed as people press a chord
// of four keys: slowly, holding it well past a moment. While its V is down, the shortcut's grab
// holds the keyboard, and a Ctrl+V typed then goes to the grab, not to the application.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

// Longer than a paste waits for held modifiers before it releases them itself.
constexpr auto kSlowPress = 800ms;

const QStringList kTexts{QStringLiteral("prvý zo zásobníka"), QStringLiteral(" druhý"), QStringLiteral(" tretí")};

QByteArray settingsWithStack()
{
    QList<ClipboardEntry> entries;
    QJsonArray stack;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString &text : kTexts) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.copiedAt = now.addSecs(-60 * entries.size());
        entries.append(entry);
        stack.append(entry.id);
    }
    const QJsonObject values{{"tarnel.onboardingComplete", true},
                             {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}},
                             {"tarnel.pasteStack", stack}};
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

} // namespace

TEST(HeldShortcutProgram, ASlowPasteNextPastesItsEntryAndTheNextPressesPasteTheirs)
{
    writeSettings(settingsWithStack());
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    Fixture fixture("held", {}, QStringLiteral("500x200+100+600"));
    ASSERT_TRUE(fixture.waitForKeyboard());

    // Held: the entry is on the clipboard at the press, and the keys stay down past the moment
    // after which held modifiers are let go on the user's behalf.
    QElapsedTimer held;
    held.start();
    ASSERT_EQ(xdotool({"keydown", "shift+alt+super+v"}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return readClipboard() == kTexts.at(0); })) << tarnel.errorOutput().constData();
    ASSERT_TRUE(QTest::qWaitFor([&] { return held.elapsed() >= kSlowPress.count(); }));
    EXPECT_TRUE(fixture.text().isEmpty()) << "pasted while the shortcut was still held: " << fixture.text().toStdString();
    ASSERT_EQ(xdotool({"keyup", "v", "alt", "shift", "super"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == kTexts.at(0); }, 5000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();

    // Nothing of the slow press is left over for the next ones.
    QString expected = kTexts.at(0);
    for (int i = 1; i < kTexts.size(); ++i) {
        expected += kTexts.at(i);
        ASSERT_EQ(xdotool({"key", "shift+alt+super+v"}), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == expected; }, 5000))
            << "press " << i + 1 << ": [" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    }
    // The stack is empty now: a fourth press pastes nothing more.
    ASSERT_EQ(xdotool({"key", "shift+alt+super+v"}), 0);
    ASSERT_EQ(xdotool({"type", "--delay", "20", "!"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == expected + QStringLiteral("!"); }, 5000))
        << "[" << fixture.text().toStdString() << "]";
}
