// The whole program: the history shortcut over another application opens Quick Access at the
// screen centre with the keyboard, Ctrl+digit pastes into that application, which gets the
// keyboard back, and the panel returns under the notch.
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

    Fixture fixture("quick", {}, QStringLiteral("500x200+100+600"));
    ASSERT_TRUE(waitForActive(fixture.pid()));
    xdotool({"key", "shift+super+v"});
    // Two entries: the smallest Quick Access, centred on the screen.
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == QRect(785, 430, 350, 220); }));
    ASSERT_TRUE(waitForActive(tarnel.pid())) << "Quick Access takes the keyboard; " << tarnel.errorOutput().constData();

    xdotool({"key", "ctrl+2"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("starší záznam"); }, 8000))
        << fixture.text().toStdString() << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitForActive(fixture.pid()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
}
