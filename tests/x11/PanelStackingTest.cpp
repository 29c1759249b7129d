// The notch panel in front of every other window, under the window manager the run was given
// (openbox, metacity, xfwm4, fluxbox, icewm, i3): opened by hover over Tarnel's own first-run
// guide and settings window, which stand over other programs' windows and were shown after it,
// and over a full-screen window that is active, where the resting notch too must be drawn and
// the open panel's search field must take the keyboard. Read on the screen itself.
#include <gtest/gtest.h>

#include "ui/quickaccess/QuickAccessView.h"

#include <QJsonObject>
#include <QStandardPaths>

#include <iostream>

#include "ScreenReading.h"

using namespace x11test;

namespace {

constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 1000};
const QRect kCollapsedNotch(912, 0, 96, 40);
const QRect kOpenPanel(735, 0, 450, 460);
// The search field in the open panel, from its top left.
constexpr QPoint kSearchField{225, 62};
// The share of an overlap that must change when the panel opens over a window: its rows and
// background, all but the points where both happen to have the same colour.
constexpr double kMostlyChanged = 0.6;
constexpr int kSampleStep = 4;

const char *windowManager()
{
    static const QByteArray name = qgetenv("TARNEL_X11_WM").isEmpty() ? QByteArray("openbox") : qgetenv("TARNEL_X11_WM");
    return name.constData();
}

QImage settledScreen()
{
    QImage previous, read;
    int agreeing = 0;
    (void)QTest::qWaitFor([&] {
        read = framebufferImage();
        agreeing = !read.isNull() && read == previous ? agreeing + 1 : 0;
        previous = read;
        return agreeing >= 2;
    });
    return read;
}

// The share of the area's sampled points that differ from `before` on the screen now.
double changedShare(const QRect &area, const QImage &before, const QImage &now)
{
    int points = 0, changed = 0;
    for (int y = area.top(); y <= area.bottom(); y += kSampleStep) {
        for (int x = area.left(); x <= area.right(); x += kSampleStep) {
            ++points;
            changed += now.pixel(x, y) != before.pixel(x, y);
        }
    }
    return points ? double(changed) / points : 0;
}

// Waits until most of the area shows something else than `before`; the share seen last.
double waitForMostlyChanged(const char *what, const QRect &area, const QImage &before)
{
    double share = 0;
    (void)QTest::qWaitFor([&] { return (share = changedShare(area, before, framebufferImage())) >= kMostlyChanged; });
    std::cout << "[ screen   ] " << windowManager() << ", " << what << ": " << int(share * 100) << "% of "
              << area.width() << "x" << area.height() << " changed\n";
    return share;
}

bool panelOpen(Window panel) { return drawnExtents(panel).size() == kOpenPanel.size(); }

// Hovers the notch and reads how much of `over` (a window under the panel's place) the open
// panel covers on the screen.
double openPanelCoverage(Window panel, const QRect &over, const char *what)
{
    const QRect overlap = over & kOpenPanel;
    if (overlap.isEmpty())
        return -1;
    const QImage before = settledScreen();
    movePointer(kNotch);
    if (!QTest::qWaitFor([&] { return panelOpen(panel); }, 6000))
        return -2;
    return waitForMostlyChanged(what, overlap, before);
}

// Asks the window manager to make the window full screen, or to end that.
void setFullScreen(Window window, bool fullScreen)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display(), "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = fullScreen ? 1 : 0;
    event.xclient.data.l[1] = long(XInternAtom(display(), "_NET_WM_STATE_FULLSCREEN", False));
    event.xclient.data.l[3] = 1;
    XSendEvent(display(), DefaultRootWindow(display()), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display());
}

bool coversScreen(Window window)
{
    return waitOnScreen(window, [](QRect frame) { return frame == QRect(0, 0, 1920, 1080); }).has_value();
}

} // namespace

TEST(PanelStacking, TheOpenPanelShowsItsRowsOverTheFirstRunGuideAndTheSettingsWindow)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    writeSettings(settingsWithHistory(3, {{"tarnel.onboardingComplete", false}}));
    movePointer(kAway);
    Fixture below("Below", QString(), QStringLiteral("1920x1080+0+0"));
    ASSERT_TRUE(below.waitForKeyboard());
    {
        Program tarnel(tarnelBinary());
        const std::optional<Window> panel = waitForPanel();
        ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
        const std::optional<Window> guide = waitForRole("tarnel-onboarding");
        ASSERT_TRUE(guide) << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForKeyboard(*guide));
        EXPECT_GE(openPanelCoverage(*panel, geometry(*guide), "panel over the guide"), kMostlyChanged)
            << "the panel's rows are hidden under the first-run guide";
    }

    writeSettings(settingsWithHistory(3));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    // Quick Access by its shortcut, then its settings button.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).width() == 350 && hasKeyboard(*panel); }))
        << tarnel.errorOutput().constData();
    using Q = QuickAccessView;
    ASSERT_TRUE(clickIn(*panel, QPoint(350 - Q::kPadding - Q::kSearchHeight - Q::kSearchRowSpacing - Q::kSearchHeight / 2, Q::kPadding + Q::kSearchHeight / 2)));
    const std::optional<Window> settings = waitForRole("tarnel-settings");
    ASSERT_TRUE(settings) << tarnel.errorOutput().constData();
    ASSERT_TRUE(waitForKeyboard(*settings));
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == kCollapsedNotch; }));
    EXPECT_GE(openPanelCoverage(*panel, geometry(*settings), "panel over the settings"), kMostlyChanged)
        << "the panel's rows are hidden under the settings window";
}

TEST(PanelStacking, OverAnActiveFullScreenWindowTheNotchShowsThePanelOpensAndItsSearchFieldTakesTheKeyboard)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    Fixture fixture("Full", QString(), QStringLiteral("600x400+200+300"));
    ASSERT_TRUE(fixture.waitForKeyboard());
    const Window window = *fixture.shownWindow();
    setFullScreen(window, true);
    ASSERT_TRUE(coversScreen(window));
    ASSERT_TRUE(waitForActive(fixture.pid()));
    const QImage before = settledScreen();

    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    EXPECT_GE(waitForMostlyChanged("resting notch", kCollapsedNotch.adjusted(12, 0, -12, -8), before), kMostlyChanged)
        << "the notch is not drawn over the full-screen window";

    // Hover: the panel opens in front, and a click into its search field gives it the keyboard.
    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 6000));
    EXPECT_GE(waitForMostlyChanged("open panel", kOpenPanel.adjusted(16, 48, -16, -16), before), kMostlyChanged)
        << "the open panel is not drawn over the full-screen window";
    ASSERT_TRUE(clickIn(*panel, kSearchField));
    EXPECT_TRUE(QTest::qWaitFor([&] { return hasKeyboard(*panel); })) << "the search field did not take the keyboard";
    // Leaving the panel gives the keyboard back to the full-screen window.
    movePointer(kAway);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panelOpen(*panel); }, 6000));
    EXPECT_TRUE(waitForKeyboard(window)) << "the keyboard stayed with the closed panel";

    // The window made full screen again while Tarnel runs goes to the top: the notch stays over it.
    setFullScreen(window, false);
    ASSERT_TRUE(waitOnScreen(window, [](QRect frame) { return frame.width() < 1920; }));
    setFullScreen(window, true);
    ASSERT_TRUE(coversScreen(window));
    EXPECT_GE(waitForMostlyChanged("notch after a new full screen", kCollapsedNotch.adjusted(12, 0, -12, -8), before),
              kMostlyChanged)
        << "the notch went under the window made full screen again";
}

namespace {

// Opens the settings window from Quick Access (its settings button) and waits until it has the keyboard.
std::optional<Window> openSettings(Window panel)
{
    xdotool({"key", "shift+super+v"});
    if (!QTest::qWaitFor([&] { return geometry(panel).width() == 350 && hasKeyboard(panel); }))
        return std::nullopt;
    using Q = QuickAccessView;
    if (!clickIn(panel, QPoint(350 - Q::kPadding - Q::kSearchHeight - Q::kSearchRowSpacing - Q::kSearchHeight / 2, Q::kPadding + Q::kSearchHeight / 2)))
        return std::nullopt;
    const std::optional<Window> settings = waitForRole("tarnel-settings");
    if (!settings || !waitForKeyboard(*settings) || !QTest::qWaitFor([&] { return geometry(panel) == kCollapsedNotch; }))
        return std::nullopt;
    return settings;
}

// Whether every sampled point of the area shows the colour.
bool allOfColour(const QRect &area, QRgb colour)
{
    const QImage screen = framebufferImage();
    for (int y = area.top(); y <= area.bottom(); y += 2)
        for (int x = area.left(); x <= area.right(); x += 2)
            if ((screen.pixel(x, y) & 0xffffffu) != (colour & 0xffffffu))
                return false;
    return true;
}

} // namespace

TEST(PanelStacking, AClickIntoTheSearchFieldKeepsThePanelOverTheGuideAndTheSettingsAndShowsWhatIsTyped)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    const QRect searchField(kOpenPanel.topLeft() + kSearchField - QPoint(100, 10), QSize(200, 20));
    // The panel over the guide, then over the settings window.
    for (const bool guide : {true, false}) {
        writeSettings(guide ? settingsWithHistory(3, {{"tarnel.onboardingComplete", false}}) : settingsWithHistory(3));
        movePointer(kAway);
        Program tarnel(tarnelBinary());
        const std::optional<Window> panel = waitForPanel();
        ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
        const std::optional<Window> window = guide ? waitForRole("tarnel-onboarding") : openSettings(*panel);
        ASSERT_TRUE(window) << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForKeyboard(*window));
        const char *what = guide ? "guide" : "settings";
        const QImage before = settledScreen();
        ASSERT_GE(openPanelCoverage(*panel, geometry(*window), what), kMostlyChanged);
        ASSERT_TRUE(clickIn(*panel, kSearchField));
        ASSERT_TRUE(QTest::qWaitFor([&] { return hasKeyboard(*panel); })) << what << ": the search field has no keyboard";
        const QImage empty = settledScreen();
        xdotool({"type", "--delay", "40", "zzz"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return changedShare(searchField, empty, framebufferImage()) > 0.02; }))
            << what << ": what is typed does not show in the search field";
        EXPECT_TRUE(standsAbove(*panel, *window)) << "the panel went under the " << what;
        EXPECT_GE(changedShare(kOpenPanel & geometry(*window), before, settledScreen()), kMostlyChanged)
            << what << ": the open panel no longer covers the window after the click";
    }
}

TEST(PanelStacking, QuickAccessOnAFirstStartShowsOverTheGuide)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    writeSettings(settingsWithHistory(3, {{"tarnel.onboardingComplete", false}}));
    movePointer(QPoint(960, 540));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const std::optional<Window> guide = waitForRole("tarnel-onboarding");
    ASSERT_TRUE(guide && waitForKeyboard(*guide)) << tarnel.errorOutput().constData();
    const QImage before = settledScreen();
    xdotool({"key", "shift+super+v"});
    QRect quickAccess;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (quickAccess = geometry(*panel)).width() == 350 && hasKeyboard(*panel); }))
        << tarnel.errorOutput().constData();
    EXPECT_GE(waitForMostlyChanged("Quick Access over the guide", quickAccess.adjusted(8, 8, -8, -8) & geometry(*guide), before),
              kMostlyChanged)
        << "Quick Access is hidden under the guide";
    EXPECT_TRUE(standsAbove(*panel, *guide));
}

TEST(PanelStacking, QuickAccessByItsShortcutOverAnActiveFullScreenWindowPastesIntoIt)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture fixture("Full", QString(), QStringLiteral("600x400+200+300"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());
    const Window window = *fixture.shownWindow();
    setFullScreen(window, true);
    ASSERT_TRUE(coversScreen(window));
    ASSERT_TRUE(waitForKeyboard(window));

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).width() == 350 && hasKeyboard(*panel); }))
        << "Quick Access has no keyboard; " << tarnel.errorOutput().constData();
    xdotool({"key", "Return"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("záznam 0"); }, 8000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
}

TEST(PanelStacking, TheKeyboardGoesBackToTheSettingsAfterQuickAccessAndAfterThePanelCloses)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    Fixture other("Other", QString(), QStringLiteral("600x400+100+500"));
    ASSERT_TRUE(other.waitForKeyboard());
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const std::optional<Window> settings = openSettings(*panel);
    ASSERT_TRUE(settings) << tarnel.errorOutput().constData();

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).width() == 350 && hasKeyboard(*panel); }));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == kCollapsedNotch; }));
    EXPECT_TRUE(waitForKeyboard(*settings)) << "after Quick Access the keyboard is not in the settings";

    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 6000));
    ASSERT_TRUE(clickIn(*panel, kSearchField));
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasKeyboard(*panel); }));
    movePointer(kAway);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panelOpen(*panel); }, 6000));
    EXPECT_TRUE(waitForKeyboard(*settings)) << "after the panel closed the keyboard is not in the settings; " << tarnel.errorOutput().constData();
    xdotool({"key", "Escape"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isViewable(*settings); })) << "Escape did not close the settings";
}

namespace {

// The topmost window of another program that bypasses the window manager over the whole screen.
std::optional<Window> coveringWindow()
{
    const std::vector<Window> order = stackingOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (isViewable(*it) && bypassesWindowManager(*it) && geometry(*it) == QRect(0, 0, 1920, 1080))
            return *it;
    return std::nullopt;
}

} // namespace

// A lock screen: a full-screen window beside the window manager, of another process. The notch
// stays under it whatever happens meanwhile, and no pixel of a notice shows.
TEST(PanelStacking, NothingOfTarnelShowsOverALockScreen)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    // This test's own window, and i3lock (green, the same colour), where it is installed.
    for (const bool i3lock : {false, true}) {
        if (i3lock && QStandardPaths::findExecutable(QStringLiteral("i3lock")).isEmpty()) {
            std::cout << "[ lock     ] no i3lock here\n";
            continue;
        }
        SCOPED_TRACE(i3lock ? "i3lock" : "a covering window");
        QTemporaryDir shots;
        writeSettings(settingsWithHistory(3, {{"tarnel.screenshotFolderPath", shots.path()}}));
        movePointer(kAway);
        Program tarnel(tarnelBinary());
        const std::optional<Window> panel = waitForPanel();
        ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
        std::optional<CoveringWindow> ownLock;
        std::optional<Program> locker;
        if (i3lock)
            locker.emplace(QStringLiteral("i3lock"), QStringList{"-n", "-c", "145a28"});
        else
            ownLock.emplace();
        std::optional<Window> lock;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (lock = coveringWindow()).has_value(); }));
        ASSERT_TRUE(waitOnScreen(*lock));
        const QRect notice(kOpenPanel.left(), 0, kOpenPanel.width(), 300);
        const auto hidden = [&](const char *after) {
            // Any restacking is done within a few turns; the notch must never come out over the lock.
            const bool covered = !QTest::qWaitFor(
                [&] { return !standsAbove(*lock, *panel) || !allOfColour(notice, CoveringWindow::kColour); }, 1500);
            std::cout << "[ lock     ] " << windowManager() << (i3lock ? ", i3lock" : "") << ", after " << after
                      << ": " << (covered ? "hidden" : "SHOWN") << "\n";
            return covered;
        };
        EXPECT_TRUE(hidden("the lock"));

        Fixture fixture("Mapped", QString(), QStringLiteral("600x400+200+300"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.shownWindow().has_value(); }));
        EXPECT_TRUE(hidden("another window mapped")) << "the notch rose over the lock screen when a window mapped";

        {
            ClipboardOwner copy(QStringLiteral("kópia pod zámkom"));
            ASSERT_TRUE(copy.isReady());
            EXPECT_TRUE(hidden("a copy")) << "the notch rose over the lock screen after a copy";
        }

        QImage shot(400, 300, QImage::Format_RGB32);
        shot.fill(qRgb(200, 40, 160));
        QSaveFile file(shots.filePath(QStringLiteral("Screenshot from 2026-12-07 06-00-00.png")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(shot.save(&file, "PNG"));
        ASSERT_TRUE(file.commit());
        EXPECT_TRUE(hidden("a screenshot")) << "the screenshot notice showed over the lock screen";
        // Neither the notch's notice nor a toast at the top right.
        EXPECT_TRUE(allOfColour(QRect(0, 0, 1920, 280), CoveringWindow::kColour)) << "a pixel of Tarnel shows over the lock";
    }
}

TEST(PanelStacking, TheNotchIsDrawnOverAFullScreenWindowThatIsTheOnlyClient)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture fixture("Only", QString(), QStringLiteral("600x400+200+300"));
    ASSERT_TRUE(fixture.waitForKeyboard());
    const Window window = *fixture.shownWindow();
    setFullScreen(window, true);
    ASSERT_TRUE(coversScreen(window));
    EXPECT_TRUE(QTest::qWaitFor([&] { return standsAbove(*panel, window); })) << "the notch is under the full-screen window";
    const QImage screen = settledScreen();
    const QRgb fill = screen.pixel(300, 600);
    EXPECT_FALSE(allOfColour(kCollapsedNotch.adjusted(24, 4, -24, -12), fill)) << "the notch is not drawn";
}

TEST(PanelStacking, QuickAccessByItsShortcutOverAnActiveFullScreenXtermPastesIntoIt)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    // Raw: every byte the terminal is given reaches the file as it is.
    QTemporaryDir folder;
    const QString received = folder.filePath(QStringLiteral("received"));
    Program xterm(QStringLiteral("env"), {"LC_ALL=C.UTF-8", "xterm", "-geometry", "80x10+100+100", "-e", "sh", "-c", QStringLiteral("stty raw -echo; exec cat > %1").arg(received)});
    std::optional<Window> window;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const std::vector<Window> shown = shownWithClass("XTerm");
        window = shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
        return window && hasKeyboard(*window) && QFile::exists(received);
    }));
    setFullScreen(*window, true);
    // Full screen as the manager gives it: the xterm's frame over the whole screen. A tiling
    // manager (i3) keeps the xterm itself a whole number of character cells wide, a few pixels
    // short of the screen, its frame's background filling the rest.
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasAtom(*window, "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN"); }));
    // The manager may set the state before it has resized the frame.
    ASSERT_TRUE(QTest::qWaitFor([&] { return coversScreen(stackedWindowOf(*window)); }))
        << "the xterm's frame is " << geometry(stackedWindowOf(*window)).width() << "x"
        << geometry(stackedWindowOf(*window)).height();
    ASSERT_TRUE(waitForKeyboard(*window));

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).width() == 350 && hasKeyboard(*panel); }))
        << "Quick Access has no keyboard; " << tarnel.errorOutput().constData();
    xdotool({"key", "Return"});
    const auto bytes = [&] {
        QFile file(received);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return bytes() == QStringLiteral("záznam 0").toUtf8(); }, 8000))
        << "received [" << bytes().toHex(' ').toStdString() << "]; " << tarnel.errorOutput().constData();
}

TEST(PanelStacking, AScreenshotsToastWaitsWhileTheScreenIsLocked)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    QTemporaryDir shots;
    writeSettings(settingsWithHistory(3, {{"tarnel.screenshotFolderPath", shots.path()}}));
    movePointer(QPoint(960, 540));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    // Over Quick Access a new screenshot shows its toast.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).width() == 350 && hasKeyboard(*panel); }))
        << tarnel.errorOutput().constData();
    std::optional<CoveringWindow> lock;
    lock.emplace();
    ASSERT_TRUE(waitOnScreen(lock->window()));

    QImage shot(400, 300, QImage::Format_RGB32);
    shot.fill(qRgb(200, 40, 160));
    QSaveFile file(shots.filePath(QStringLiteral("Screenshot from 2026-12-07 06-00-00.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(shot.save(&file, "PNG"));
    ASSERT_TRUE(file.commit());
    // The notice comes within a second or two of the file; nothing of it may show meanwhile.
    EXPECT_FALSE(QTest::qWaitFor([&] {
        return !shownWithRole("tarnel-toast").empty() || !allOfColour(QRect(0, 0, 1920, 1080), CoveringWindow::kColour);
    },
                                 4000))
        << "the toast showed over the lock screen";

    lock.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return !shownWithRole("tarnel-toast").empty(); }, 8000))
        << "the toast never came once the screen showed again; " << tarnel.errorOutput().constData();
}

// Over the whole screen, but a window the manager frames (fluxbox, icewm and i3 draw the frame
// beside the manager): no lock, so a screenshot's toast shows at once.
TEST(PanelStacking, InMenuBarModeAScreenshotsToastShowsOverAFullScreenWindow)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    QTemporaryDir shots;
    writeSettings(settingsWithHistory(3, {{"tarnel.presentationMode", "menuBar"}, {"tarnel.screenshotFolderPath", shots.path()}}));
    movePointer(kAway);
    Fixture fixture("Full", QString(), QStringLiteral("600x400+200+300"));
    ASSERT_TRUE(fixture.waitForKeyboard());
    const Window window = *fixture.shownWindow();
    setFullScreen(window, true);
    ASSERT_TRUE(coversScreen(window));
    Program tarnel(tarnelBinary());
    // Its icon where the manager has a tray (fluxbox, icewm, i3's bar), else the notch that stays
    // in reach. i3 hides its bar, the tray with it, under a full-screen window: the icon is then
    // embedded in the tray without being shown.
    const auto embeddedIcon = [] {
        return !windowsWhere([](Window w) {
                    const QList<QByteArray> parts = textProperty(w, "WM_CLASS").split('\0');
                    return parts.size() >= 2 && parts.at(1) == "Tarnel" && stackedWindowOf(w) != w
                        && geometry(w).width() <= 64 && geometry(w).height() <= 64;
                }).empty();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const std::vector<Window> panel = shownWithRole("tarnel-panel");
        return (panel.size() == 1 && geometry(panel.front()) == kCollapsedNotch) || !shownWithClass("Tarnel").empty()
            || embeddedIcon();
    })) << tarnel.errorOutput().constData();

    // The icon may come before the screenshot folder is watched: a screenshot is taken again
    // every few seconds until one shows its toast.
    QImage shot(400, 300, QImage::Format_RGB32);
    shot.fill(qRgb(200, 40, 160));
    int taken = 0;
    QElapsedTimer sinceShot;
    const auto toastShown = [&] {
        if (!sinceShot.isValid() || sinceShot.elapsed() > 3000) {
            QSaveFile file(shots.filePath(QStringLiteral("Screenshot from 2026-12-07 06-00-%1.png").arg(taken++, 2, 10, QLatin1Char('0'))));
            if (file.open(QIODevice::WriteOnly) && shot.save(&file, "PNG"))
                file.commit();
            sinceShot.start();
        }
        return !shownWithRole("tarnel-toast").empty();
    };
    EXPECT_TRUE(QTest::qWaitFor(toastShown, 15000))
        << "the toast waits as if the screen were locked; " << tarnel.errorOutput().constData();
}

// Another program's menu opened at the top centre, over the notch: the notch stays under it
// after a copy widens it and after another window maps.
TEST(PanelStacking, AnotherProgramsMenuAtTheTopCentreStaysOverTheNotch)
{
    std::cout << "[ desktop  ] " << windowManager() << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    Fixture below("Below", QString(), QStringLiteral("800x500+560+200"));
    ASSERT_TRUE(below.waitForKeyboard());
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect area(820, 0, 280, 180);
    const CoveringWindow menu(area);
    ASSERT_TRUE(waitOnScreen(menu.window()));
    const auto under = [&](const char *after) {
        const bool stays = !QTest::qWaitFor(
            [&] { return !standsAbove(menu.window(), *panel) || !allOfColour(area, CoveringWindow::kColour); }, 1500);
        std::cout << "[ menu     ] " << windowManager() << ", after " << after << ": " << (stays ? "under" : "OVER") << "\n";
        return stays;
    };
    EXPECT_TRUE(under("the menu opened"));
    {
        ClipboardOwner copy(QStringLiteral("kópia pod menu"));
        ASSERT_TRUE(copy.isReady());
        EXPECT_TRUE(under("a copy")) << "the notch rose over the menu after a copy";
    }
    Fixture mapped("Mapped", QString(), QStringLiteral("600x400+100+500"));
    ASSERT_TRUE(mapped.waitForKeyboard());
    EXPECT_TRUE(under("another window mapped")) << "the notch rose over the menu when a window mapped";
}
