// The whole program, pasting again and again from one open panel: a click on a row, a transform
// from the row's actions menu and the Paste Stack's paste-next, one after another in one hover,
// all land in the application the user came from, in order, and the keys typed afterwards land
// there too. A click in the panel gives it the keyboard each time, so every paste has to hand
// the keyboard back. Quick Access, opened twice in a row by its shortcut, pastes both times.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <iostream>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 900};
const QSize kOpenSize(450, 460);
// Places inside the open panel, from its top left: the first two rows of the Clipboard
// section (on their text, clear of their controls), the Paste Stack cell of the section strip
// and the footer's main button.
constexpr QPoint kFirstRow{120, 206};
constexpr QPoint kSecondRow{120, 266};
constexpr QPoint kPasteStackCell{96, 109};
constexpr QPoint kFooterButton{372, 430};
// Inside the actions menu: the left end of its rows, where they lie over the panel; on its
// first page, "Upraviť a vložiť" this far above its bottom; on the transform page,
// "Veľké písmená" this far below its top.
constexpr int kMenuRowInset = 12;
constexpr int kTransformPageRowFromBottom = 25;
constexpr int kUppercaseRowY = 104;

const QString kFirst = QStringLiteral("alfa prvý");
const QString kSecond = QStringLiteral("beta druhý");
const QString kStacked = QStringLiteral("gama tretí");

QByteArray settings()
{
    // Newest first, a minute apart: the history is ordered by when each was copied, and copies
    // made within one clock tick of each other would come out in either order.
    QList<ClipboardEntry> entries;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString &text : {kFirst, kSecond, kStacked, QStringLiteral("delta štvrtý")}) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.copiedAt = now.addSecs(-60 * entries.size());
        entries.append(entry);
    }
    const QJsonObject values{{"tarnel.onboardingComplete", true},
                             {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}},
                             {"tarnel.pasteStack", QJsonArray{entries.at(2).id}}};
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

bool panelOpen(Window panel) { return drawnExtents(panel).size() == kOpenSize; }

// Clicks a point of a window once a click there reaches it, and waits until the fixture holds
// the text; the time from the click to the text, or nothing when it never came.
std::optional<qint64> clickAndTime(Window window, QPoint offset, const Fixture &fixture, const QString &expected)
{
    const std::optional<QRect> frame =
        waitOnScreen(window, [&](QRect at) { return isWithin(windowAt(at.topLeft() + offset), window); });
    if (!frame)
        return std::nullopt;
    QElapsedTimer clock;
    clock.start();
    clickAt(frame->topLeft() + offset);
    if (!QTest::qWaitFor([&] { return fixture.text() == expected; }, 8000))
        return std::nullopt;
    const qint64 elapsed = clock.elapsed();
    std::cout << "click to text in the fixture: " << elapsed << " ms" << std::endl;
    return elapsed;
}

void threePastesFromOneHover()
{
    writeSettings(settings());
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture fixture("pastes", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());

    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 6000));

    // A click on a row pastes it.
    const std::optional<qint64> first = clickAndTime(*panel, kFirstRow, fixture, kFirst);
    ASSERT_TRUE(first) << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    ASSERT_TRUE(panelOpen(*panel)) << "the pointer never left the panel";

    // The second row's actions menu, its transform page, and "Veľké písmená", clicked where
    // the menu lies over the panel so that the pointer never leaves the panel.
    ASSERT_TRUE(clickIn(*panel, kSecondRow, 3));
    std::vector<Window> menus;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (menus = menusOf(tarnel.pid(), *panel)).size() == 1; }))
        << "no actions menu";
    const Window menu = menus.front();
    const std::optional<QRect> firstPage = waitOnScreen(menu);
    ASSERT_TRUE(firstPage);
    const QRect panelFrame = geometry(*panel);
    ASSERT_TRUE(clickIn(menu, QPoint(firstPage->width() / 2, firstPage->height() - kTransformPageRowFromBottom)));
    const std::optional<QRect> transforms = waitOnScreen(menu, [&](QRect frame) { return frame.height() > firstPage->height(); });
    ASSERT_TRUE(transforms) << "the transform page did not open";
    const int x = std::min(transforms->left() + kMenuRowInset, panelFrame.right() - 2) - transforms->left();
    ASSERT_LT(transforms->left() + x, panelFrame.right()) << "the menu no longer lies over the panel";
    const std::optional<qint64> second = clickAndTime(menu, QPoint(x, kUppercaseRowY), fixture, kFirst + kSecond.toUpper());
    ASSERT_TRUE(second) << "[" << fixture.text().toStdString() << "] active " << activePid() << ", Tarnel "
                        << tarnel.pid() << "; " << tarnel.errorOutput().constData();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menusOf(tarnel.pid(), *panel).empty(); })) << "the menu closed";
    ASSERT_TRUE(panelOpen(*panel)) << "the pointer never left the panel";

    // The Paste Stack's paste-next.
    ASSERT_TRUE(clickIn(*panel, kPasteStackCell));
    const std::optional<qint64> third = clickAndTime(*panel, kFooterButton, fixture, kFirst + kSecond.toUpper() + kStacked);
    ASSERT_TRUE(third) << "[" << fixture.text().toStdString() << "] active " << activePid() << ", Tarnel "
                       << tarnel.pid() << "; " << tarnel.errorOutput().constData();
    EXPECT_TRUE(panelOpen(*panel)) << "the pointer never left the panel";

    // The keyboard is back with the application: what the user types next lands there.
    ASSERT_TRUE(fixture.waitForKeyboard()) << "the keyboard is with " << activePid();
    xdotool({"type", "--delay", "20", " hotovo"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == kFirst + kSecond.toUpper() + kStacked + " hotovo"; }, 5000))
        << "[" << fixture.text().toStdString() << "]";
    movePointer(kAway);
}

} // namespace

TEST(OpenPanelPastesProgram, ThreePastesFromOneHoverLandInOrderAndTheKeyboardStaysWithTheApplication)
{
    threePastesFromOneHover();
}

TEST(OpenPanelPastesProgram, TheSamePastesLandUnderACompositor)
{
    Program compositor(QStringLiteral("xcompmgr"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return compositor.isRunning(); }));
    threePastesFromOneHover();
}

TEST(OpenPanelPastesProgram, AQuickDoubleClickOnARowPastesOnceAndLeavesTheKeyboardWithTheApplication)
{
    writeSettings(settings());
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture fixture("double", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());

    QString expected;
    // The second click lands while the first one's paste still waits for the application.
    for (const int gap : {80, 120, 200}) {
        movePointer(kNotch);
        ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 6000));
        const std::optional<QRect> frame =
            waitOnScreen(*panel, [&](QRect at) { return isWithin(windowAt(at.topLeft() + kFirstRow), *panel); });
        ASSERT_TRUE(frame);
        const QPoint row = frame->topLeft() + kFirstRow;
        xdotool({"mousemove", QString::number(row.x()), QString::number(row.y()), "click", "--repeat", "2", "--delay",
                 QString::number(gap), "1"});
        expected += kFirst;
        EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == expected; }, 5000))
            << gap << " ms: [" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
        // The keyboard is back with the application: the next keys land there, after one paste.
        EXPECT_TRUE(fixture.waitForKeyboard()) << gap << " ms: the keyboard is with " << activePid();
        xdotool({"type", "--delay", "20", "!"});
        expected += QLatin1Char('!');
        EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == expected; }, 5000))
            << gap << " ms: [" << fixture.text().toStdString() << "]";
        movePointer(kAway);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !panelOpen(*panel); }, 6000));
    }
}

TEST(OpenPanelPastesProgram, QuickAccessOpenedTwiceByItsShortcutPastesBothTimes)
{
    writeSettings(settings());
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);
    Fixture fixture("quick twice", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());

    // By its number the first time, by a click on its row the second time.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
    ASSERT_TRUE(waitForKeyboard(*panel));
    xdotool({"key", "--delay", "0", "ctrl+1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.text() == kFirst; }, 8000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
    ASSERT_TRUE(fixture.waitForKeyboard());

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid())) << "Quick Access came back without the keyboard";
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return geometry(*panel) != notchFrame && drawnExtents(*panel).size() == geometry(*panel).size();
    }));
    ASSERT_TRUE(clickIn(*panel, geometry(*panel).center() - geometry(*panel).topLeft()));
    const QStringList texts{kFirst, kSecond, kStacked, QStringLiteral("delta štvrtý")};
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text().startsWith(kFirst) && texts.contains(fixture.text().mid(kFirst.size())); }, 8000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    EXPECT_TRUE(fixture.waitForKeyboard());
    xdotool({"type", "--delay", "20", "!"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text().endsWith(QLatin1Char('!')); }, 5000))
        << "[" << fixture.text().toStdString() << "]";
}
