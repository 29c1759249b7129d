// The whole program through the notch: hovering opens the details panel with the history in its
// library, the search field filters it and Return pastes the match into the application the
// user came from, leaving the panel gives that application the keyboard back, and the section
// strip switches to another section whose footer button pastes that section's entry.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 900};
const QRect kFrame(735, 0, 450, 460);
// Places inside the open panel, from its top left: the search field, the Pins cell of the
// section strip and the footer's main button.
constexpr QPoint kSearchField{225, 62};
constexpr QPoint kPinsCell{250, 109};
constexpr QPoint kFooterButton{372, 430};

QByteArray settingsWithHistory()
{
    // Newest first, a minute apart: copies within one clock tick would rank in either order.
    QList<ClipboardEntry> entries;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto add = [&entries, now](const QString &text, bool pinned) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.copiedAt = now.addSecs(-60 * entries.size());
        entry.isPinned = pinned;
        entries.append(entry);
    };
    add(QStringLiteral("alfa najnovší"), false);
    add(QStringLiteral("beta hľadaný"), false);
    add(QStringLiteral("gama pripnutý"), true);
    const QJsonObject values{{"tarnel.onboardingComplete", true},
                             {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}}};
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

bool panelOpen(Window panel) { return drawnExtents(panel).size() == kFrame.size(); }

void hoverSearchAndSwitchSections()
{
    writeSettings(settingsWithHistory());
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture fixture("notch", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());

    // Hover: the notch opens into the whole details panel.
    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 6000))
        << "drawn " << drawnExtents(*panel).width() << "x" << drawnExtents(*panel).height();

    // Typing in the search field narrows the history; Return pastes the one match into the
    // application that was in front when the panel opened.
    ASSERT_TRUE(clickIn(*panel, kSearchField));
    ASSERT_TRUE(waitForActive(tarnel.pid())) << "the search field takes the keyboard";
    ASSERT_TRUE(waitForKeyboard(*panel));
    xdotool({"type", "--delay", "20", "beta"});
    xdotool({"key", "Return"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("beta hľadaný"); }, 8000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitForActive(fixture.pid()));

    // Closed and opened again over the application, the search is emptied with the field's
    // clear, the Pins cell switches the section, and the footer pastes its entry.
    movePointer(kAway);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panelOpen(*panel); }, 6000));
    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 6000));
    ASSERT_TRUE(clickIn(*panel, kSearchField));
    ASSERT_TRUE(waitForActive(tarnel.pid())) << "the keyboard is with " << activePid() << "; " << tarnel.errorOutput().constData();
    ASSERT_TRUE(waitForKeyboard(*panel));
    xdotool({"key", "ctrl+a", "BackSpace"});

    // Leaving the open panel gives the keyboard back to the application the user came from.
    movePointer(kAway);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panelOpen(*panel); }, 6000));
    EXPECT_TRUE(waitForActive(fixture.pid())) << "the keyboard stayed with the closed panel";
    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 6000));
    ASSERT_TRUE(clickIn(*panel, kPinsCell));
    ASSERT_TRUE(clickIn(*panel, kFooterButton));
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text().endsWith(QStringLiteral("gama pripnutý")); }, 8000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    EXPECT_FALSE(fixture.text().contains(QStringLiteral("alfa"))) << "the History section's first entry was pasted";
}

} // namespace

TEST(NotchPanelProgram, HoverOpensTheLibrarySearchPastesOnReturnAndTheStripSwitchesSections)
{
    hoverSearchAndSwitchSections();
}

TEST(NotchPanelProgram, TheSameRoadWorksUnderACompositor)
{
    Program compositor(QStringLiteral("xcompmgr"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return compositor.isRunning(); }));
    hoverSearchAndSwitchSections();
}
