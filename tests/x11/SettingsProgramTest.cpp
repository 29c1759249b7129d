// The settings window of the whole program: display mode, appearance and language chosen there
// reach every open window at once and are what the next start begins with.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "shell/PanelHarness.h"
#include "ui/quickaccess/QuickAccessView.h"
#include "ui/settings/PickerOption.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

QJsonObject savedSettings()
{
    QFile file(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tarnel/defaults.json"));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

void keys(const QStringList &names)
{
    xdotool(QStringList{"key", "--delay", "60"} + names);
}

} // namespace

// A tray host at the bottom right, started and ready to embed icons.
struct Tray : Program {
    Tray()
        : Program(QStringLiteral("trayer"), {"--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "32", "--SetDockType", "true"})
    {
    }
    static bool isReady()
    {
        const Atom selection = XInternAtom(display(), "_NET_SYSTEM_TRAY_S0", False);
        return XGetSelectionOwner(display(), selection) != 0;
    }
};

// Whether the window is drawn in the light scheme: its background just inside the top-left
// corner, as the server shows it.
bool looksLight(Window window)
{
    const QRect frame = geometry(window);
    const QImage picture = QGuiApplication::primaryScreen()->grabWindow(0, frame.x() + 6, frame.y() + 6, 4, 4).toImage();
    return !picture.isNull() && qreal(picture.pixelColor(1, 1).lightnessF()) > 0.5;
}

// Quick Access by its shortcut, then its settings button: the settings window, once active.
std::optional<Window> openSettings(Program &tarnel, const QByteArray &hostRole)
{
    xdotool({"key", "shift+super+v"});
    std::optional<Window> host;
    const bool open = QTest::qWaitFor([&] {
        const auto shown = shownWithRole(hostRole);
        if (shown.size() != 1)
            return false;
        host = shown.front();
        const QRect frame = geometry(*host);
        return frame.width() == 350 && drawnExtents(*host).size() == frame.size();
    });
    if (!open)
        return std::nullopt;
    using Q = QuickAccessView;
    const QPoint settingsButton(geometry(*host).width() - Q::kPadding - Q::kSearchHeight - Q::kSearchRowSpacing - Q::kSearchHeight / 2,
                                Q::kPadding + Q::kSearchHeight / 2);
    if (!clickIn(*host, settingsButton))
        return std::nullopt;
    const std::optional<Window> window = waitForRole("tarnel-settings");
    if (!window || !waitForActive(tarnel.pid()) || !waitForKeyboard(*window))
        return std::nullopt;
    return window;
}

TEST(SettingsProgram, DisplayAppearanceAndLanguageReachEveryWindowAtOnceAndOutliveARestart)
{
    writeSettings(R"({"tarnel.onboardingComplete": true})");
    movePointer(QPoint(960, 900));
    Tray tray;
    ASSERT_TRUE(QTest::qWaitFor(Tray::isReady));
    {
        Program tarnel(tarnelBinary());
        const std::optional<Window> panel = waitForPanel();
        ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
        const std::optional<Window> settings = openSettings(tarnel, "tarnel-panel");
        ASSERT_TRUE(settings) << tarnel.errorOutput().constData();
        EXPECT_FALSE(looksLight(*settings));
        EXPECT_EQ(textProperty(*settings, "_NET_WM_NAME"), QByteArray("Nastavenia Tarnel"));

        // The keyboard starts on the first page tab; past the four tabs and the page itself come
        // the two looks, the two languages and the two display modes.
        keys({"Tab", "Tab", "Tab", "Tab", "Tab", "space"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return looksLight(*settings); })) << "the window restyles at once";
        keys({"Tab", "Tab", "Tab", "Tab", "Tab", "space"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return !isViewable(*panel); })) << "the notch gives way to the tray at once";
        // Quick Access opens at once in the tray's popup and takes the keyboard; Escape closes it
        // and gives the keyboard back to the settings, on the display mode it was on; two back
        // are the languages.
        std::optional<Window> opened;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const auto shown = shownWithRole("tarnel-popover");
            opened = shown.empty() ? std::nullopt : std::optional<Window>(shown.front());
            return opened.has_value();
        })) << "the popup opens over the settings"
            << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForKeyboard(*opened)) << "and has the keyboard";
        const std::optional<Window> icon = waitForTrayIcon();
        ASSERT_TRUE(icon);
        EXPECT_LE(geometry(*opened).bottom(), geometry(*icon).top()) << "hanging from the tray icon at the bottom";
        keys({"Escape"});
        ASSERT_TRUE(QTest::qWaitFor([] { return shownWithRole("tarnel-popover").empty(); }));
        ASSERT_TRUE(waitForKeyboard(*settings)) << "the settings window has the keyboard again";
        keys({"shift+Tab", "shift+Tab", "space"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return textProperty(*settings, "_NET_WM_NAME") == "Tarnel Settings"; }))
            << "and speaks English at once";

        // Quick Access now opens in the tray's popup, already in the new look.
        xdotool({"key", "shift+super+v"});
        std::optional<Window> popup;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const auto shown = shownWithRole("tarnel-popover");
            popup = shown.empty() ? std::nullopt : std::optional<Window>(shown.front());
            return popup && drawnExtents(*popup).size() == geometry(*popup).size();
        })) << tarnel.errorOutput().constData();
        EXPECT_TRUE(looksLight(*popup));
        // A click on the settings' heading closes the popup and gives the keyboard back to them.
        ASSERT_TRUE(clickIn(*settings, QPoint(280, 30)));
        EXPECT_TRUE(QTest::qWaitFor([] { return shownWithRole("tarnel-popover").empty(); }));
        ASSERT_TRUE(waitForActive(tarnel.pid()));

        const QJsonObject saved = savedSettings();
        EXPECT_EQ(saved.value("tarnel.presentationMode").toString(), QStringLiteral("menuBar"));
        EXPECT_EQ(saved.value("tarnel.appearance").toString(), QStringLiteral("light"));
        EXPECT_EQ(saved.value("tarnel.language").toString(), QStringLiteral("en"));
    }

    // The next start begins from them: the tray instead of the notch, the light look, English.
    Program tarnel(tarnelBinary());
    EXPECT_TRUE(QTest::qWaitFor([] { return !shownWithClass("Tarnel").empty(); })) << tarnel.errorOutput().constData();
    EXPECT_FALSE(QTest::qWaitFor([] { return !shownWithRole("tarnel-panel").empty(); }, 1500)) << "no notch panel";
    const std::optional<Window> settings = openSettings(tarnel, "tarnel-popover");
    ASSERT_TRUE(settings) << tarnel.errorOutput().constData();
    EXPECT_TRUE(looksLight(*settings));
    EXPECT_EQ(textProperty(*settings, "_NET_WM_NAME"), QByteArray("Tarnel Settings"));
}

TEST(SettingsProgram, MenuBarChosenWithoutATrayOpensQuickAccessAtTheTopEdge)
{
    writeSettings(R"({"tarnel.onboardingComplete": true})");
    movePointer(QPoint(960, 900));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    const std::optional<Window> settings = openSettings(tarnel, "tarnel-panel");
    ASSERT_TRUE(settings) << tarnel.errorOutput().constData();

    // The same keys as above choose the menu bar.
    keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"});
    std::optional<Window> popup;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto shown = shownWithRole("tarnel-popover");
        popup = shown.empty() ? std::nullopt : std::optional<Window>(shown.front());
        return popup && drawnExtents(*popup).size() == geometry(*popup).size();
    })) << "Quick Access opens at once"
        << tarnel.errorOutput().constData();
    const QRect frame = geometry(*popup);
    EXPECT_EQ(frame.width(), 350);
    EXPECT_LE(frame.top(), 60) << "hanging from the top edge, where the tray icon would be";
    EXPECT_LE(std::abs(frame.center().x() - 960), 4) << "under the notch's place";
    EXPECT_TRUE(waitForKeyboard(*popup)) << "and takes the keyboard";
    EXPECT_EQ(savedSettings().value("tarnel.presentationMode").toString(), QStringLiteral("menuBar"));
}

namespace {

// Where a display-mode choice is in the settings window: measured on the same window built in
// this process, at the size the program opens it.
QPoint modeOptionInSettings(ClipboardPresentationMode mode)
{
    PanelHarness h;
    h.controller->openSettingsWindow();
    QWidget *window = h.controller->settingsWindow();
    if (!window || !waitOnScreen(window))
        return {};
    const auto *option = window->findChild<PickerOption *>(QStringLiteral("presentationMode-") + rawValue(mode));
    const QPoint centre = option ? option->mapTo(window, option->rect().center()) : QPoint();
    window->close();
    return centre;
}

// The name the window manager gives itself.
QByteArray windowManagerName()
{
    const std::vector<unsigned long> check = longProperty(DefaultRootWindow(display()), "_NET_SUPPORTING_WM_CHECK");
    return check.empty() ? QByteArray() : textProperty(Window(check.front()), "_NET_WM_NAME");
}

} // namespace

// The notch chosen in the settings opens the whole panel at once, and it stays open while the
// pointer rests on the settings window, until the pointer has been in it and left.
TEST(SettingsProgram, TheNotchChosenThereOpensThePanelUntilThePointerHasBeenInIt)
{
    const QPoint notchOption = modeOptionInSettings(ClipboardPresentationMode::Notch);
    ASSERT_FALSE(notchOption.isNull());
    writeSettings(R"({"tarnel.onboardingComplete": true, "tarnel.presentationMode": "menuBar"})");
    movePointer(QPoint(960, 900));
    Tray tray;
    ASSERT_TRUE(QTest::qWaitFor(Tray::isReady));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForTrayIcon()) << tarnel.errorOutput().constData();
    const std::optional<Window> settings = openSettings(tarnel, "tarnel-popover");
    ASSERT_TRUE(settings) << tarnel.errorOutput().constData();

    ASSERT_TRUE(clickIn(*settings, notchOption));
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const auto open = [&] { return geometry(*panel).size() == QSize(450, 460) && drawnExtents(*panel).height() == 460; };
    ASSERT_TRUE(QTest::qWaitFor(open, 3000)) << "the panel opens at once";
    EXPECT_FALSE(QTest::qWaitFor([&] { return !open(); }, 1000))
        << "closed to " << geometry(*panel).width() << "x" << geometry(*panel).height() << " within a second";

    movePointer(QPoint(960, 100));
    EXPECT_FALSE(QTest::qWaitFor([&] { return !open(); }, 300)) << "the pointer in it keeps it open";
    movePointer(QPoint(300, 900));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).size() == QSize(96, 40); }, 3000))
        << "left, it closes; the panel is " << geometry(*panel).width() << "x" << geometry(*panel).height();
}

// The menu bar chosen with a click in the settings opens Quick Access in the popup, which takes
// the keyboard; once Escape closed it, the settings window has the keyboard again, and the next
// Escape closes it, whatever window manager runs: some hand a closed popup's keyboard to the
// notch panel that stands in for a missing tray.
TEST(SettingsProgram, EscapeClosesTheSettingsOnceTheModeChosenThereOpenedAndClosedThePopup)
{
    const QPoint modal = modeOptionInSettings(ClipboardPresentationMode::MenuBar);
    ASSERT_FALSE(modal.isNull());
    const auto chooseAndClose = [&modal] {
        writeSettings(R"({"tarnel.onboardingComplete": true})");
        movePointer(QPoint(960, 900));
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        const std::optional<Window> settings = openSettings(tarnel, "tarnel-panel");
        ASSERT_TRUE(settings) << tarnel.errorOutput().constData();

        ASSERT_TRUE(clickIn(*settings, modal));
        std::optional<Window> popup;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const auto shown = shownWithRole("tarnel-popover");
            popup = shown.empty() ? std::nullopt : std::optional<Window>(shown.front());
            return popup.has_value();
        })) << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForKeyboard(*popup));
        keys({"Escape"});
        ASSERT_TRUE(QTest::qWaitFor([] { return shownWithRole("tarnel-popover").empty(); }));
        EXPECT_TRUE(waitForKeyboard(*settings, 3000)) << "the settings window has the keyboard again";
        keys({"Escape"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownWithRole("tarnel-settings").empty(); }, 3000))
            << "Escape closes the settings";
        EXPECT_EQ(savedSettings().value("tarnel.presentationMode").toString(), QStringLiteral("menuBar"));
    };
    {
        // openbox, or the manager the run was given (xfwm4).
        SCOPED_TRACE(windowManagerName().constData());
        chooseAndClose();
    }
    // The same under metacity, which takes over from openbox (and stays to the end of the run).
    Program metacity(QStringLiteral("metacity"), {"--replace", "--no-composite"});
    ASSERT_TRUE(QTest::qWaitFor([] { return windowManagerName() == "Metacity"; }, 8000)) << windowManagerName().constData();
    {
        SCOPED_TRACE("metacity");
        chooseAndClose();
    }
}
