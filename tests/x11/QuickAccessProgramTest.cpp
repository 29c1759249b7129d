// The whole program: the history shortcut over another application opens Quick Access at the
// screen centre with the keyboard, Ctrl+digit or a click pastes into that application, which
// gets the keyboard back, and the panel returns under the notch. The other application needs a
// moment to take the keyboard once activated: a Ctrl+V sent before the settle is lost.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

QByteArray settingsWithHistory(const QStringList &texts)
{
    QList<ClipboardEntry> entries;
    for (const QString &text : texts) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.copiedAt = QDateTime::currentDateTimeUtc();
        entries.append(entry);
    }
    const QJsonObject values{{"tarnel.onboardingComplete", true},
                             {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}}};
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

} // namespace

TEST(QuickAccessProgram, HistoryShortcutThenCtrlDigitPastesIntoTheApplicationInFront)
{
    writeSettings(settingsWithHistory({QStringLiteral("najnovší"), QStringLiteral("starší záznam")}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);

    Fixture fixture("quick", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());
    xdotool({"key", "shift+super+v"});
    // Two entries: the smallest Quick Access, centred on the screen.
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == QRect(785, 430, 350, 220); }));
    ASSERT_TRUE(waitForActive(tarnel.pid())) << "Quick Access takes the keyboard; " << tarnel.errorOutput().constData();

    // Released at once: no held key gives the application time to become active before Ctrl+V.
    xdotool({"key", "--delay", "0", "ctrl+2"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("starší záznam"); }, 8000))
        << fixture.text().toStdString() << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitForActive(fixture.pid()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
}

TEST(QuickAccessProgram, LosingTheKeyboardClosesItTheShortcutBringsItBackAndTheFirstClickPastes)
{
    QStringList texts;
    for (int i = 1; i <= 6; ++i)
        texts.append(QStringLiteral("záznam %1").arg(i));
    writeSettings(settingsWithHistory(texts));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);
    Fixture fixture("click", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());

    // A click into the other application takes the keyboard: Quick Access closes, as a popover does.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid()));
    clickAt(QPoint(300, 700));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "Quick Access stayed on screen";
    EXPECT_EQ(activePid(), fixture.pid()) << "the window the user clicked keeps the keyboard";

    // The shortcut brings it back with the keyboard, and the first click on a row pastes it.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid())) << "Quick Access came back without the keyboard";
    // Quick Access is drawn whole (not the notch) before a row can be clicked.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return geometry(*panel) != notchFrame && drawnExtents(*panel).size() == geometry(*panel).size();
    }));
    clickAt(geometry(*panel).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return texts.contains(fixture.text()); }, 8000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitForActive(fixture.pid()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
}
