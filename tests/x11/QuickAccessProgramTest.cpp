// The whole program: the history shortcut over another application opens Quick Access at the
// screen centre with the keyboard, Ctrl+digit or a click pastes into that application, which
// gets the keyboard back, and the panel returns under the notch. The other application needs a
// moment to take the keyboard once activated: a Ctrl+V sent before the settle is lost.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"

#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

QByteArray settingsWithEntries(const QList<ClipboardEntry> &entries)
{
    const QJsonObject values{{"tarnel.onboardingComplete", true},
                             {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}}};
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

QByteArray settingsWithHistory(const QStringList &texts)
{
    // Newest first, a minute apart: copies within one clock tick would rank in either order.
    QList<ClipboardEntry> entries;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString &text : texts) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.copiedAt = now.addSecs(-60 * entries.size());
        entries.append(entry);
    }
    return settingsWithEntries(entries);
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
    ASSERT_TRUE(waitForKeyboard(*panel));

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
    ASSERT_TRUE(clickIn(*panel, geometry(*panel).center() - geometry(*panel).topLeft()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return texts.contains(fixture.text()); }, 8000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitForActive(fixture.pid()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
}

TEST(QuickAccessProgram, AfterTheSaveDialogQuickAccessHasTheKeyboardAgain)
{
    ClipboardEntry image;
    image.id = ClipboardEntry::newID();
    image.kind = ClipboardKind::Image;
    image.copiedAt = QDateTime::currentDateTimeUtc();
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    image.imageData = buffer.data();
    writeSettings(settingsWithEntries({image}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);
    Fixture fixture("behind", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == *panel; })) << activeWindow() << " " << *panel;
    ASSERT_TRUE(waitForKeyboard(*panel));
    // The image, its options, and the third of them: "Uložiť ako PNG".
    xdotool({"key", "--delay", "150", "Down", "Right", "Down", "Down", "Return"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return activePid() == tarnel.pid() && activeWindow() != *panel; }, 8000))
        << "no save dialog; " << tarnel.errorOutput().constData();

    const Window dialog = activeWindow();
    ASSERT_TRUE(waitForKeyboard(dialog)) << "the save dialog takes the keyboard";
    xdotool({"key", "Escape"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == *panel; }, 8000))
        << "the keyboard went to " << activePid() << ", Tarnel is " << tarnel.pid() << "; " << tarnel.errorOutput().constData();
    // It keeps it once the window manager is done with the dialog (the moment the application
    // behind would take it back): Quick Access is still there, and a key reaches it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isViewable(dialog); }, 8000)) << "the save dialog stays on the screen";
    EXPECT_TRUE(waitForKeyboard(*panel));
    EXPECT_EQ(activeWindow(), *panel);
    EXPECT_NE(geometry(*panel), notchFrame);
    // Back from the options to the lists, then Quick Access closes.
    xdotool({"key", "--delay", "150", "Escape", "Escape"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "Escape reached Quick Access";
    EXPECT_TRUE(fixture.text().isEmpty());
}
