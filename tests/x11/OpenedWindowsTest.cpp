// The windows Tarnel opens, on a real display, on a bare desktop and under a compositing
// manager. Each one opened from the open notch panel stands in front of the panel, which floats
// over every other window, and takes the keyboard; the text sheet closes on Escape; the settings
// window is an ordinary window again once the user turns to another application. Every popup
// and dialog (the guide's dropdown, an entry's actions menu, the Jar editor, the clear alert,
// the composer's save dialog) shows what it draws: inside each, the screen as the server holds
// it and as a capture tool composes it both read what the window itself paints there.
#include "engine/ClipboardModel.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/x11/X11DesktopCompositor.h"
#include "platform/x11/X11PanelWindowTraits.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11ScreenColormap.h"
#include "platform/x11/X11Workspace.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/PanelSheetHost.h"
#include "ui/settings/MenuPicker.h"
#include "ui/tools/ScreenshotTextSheet.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>

#include "ScreenReading.h"

using namespace x11test;

namespace {

constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 1000};

ClipboardEntry screenshotEntry()
{
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    ClipboardEntry entry;
    entry.id = QStringLiteral("S1");
    entry.kind = ClipboardKind::Image;
    entry.isScreenshot = true;
    entry.imageData = png;
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    return entry;
}

// Whether the window is what the user sees and clicks at a point of the screen: nothing of
// another window lies over it there.
bool inFrontAt(Window window, QPoint p) { return isWithin(windowAt(p), window); }

bool near(QRgb a, QRgb b)
{
    constexpr int kTolerance = 3;
    return std::abs(qRed(a) - qRed(b)) <= kTolerance && std::abs(qGreen(a) - qGreen(b)) <= kTolerance
        && std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
}

QString hex(QRgb c) { return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')); }

// What is wrong with the window's pixels on the screen at a few points of its own, empty when
// nothing is: at each, the server's screen and a capture tool's must both read what the window
// paints there (give or take a step of rounding).
QString paintMismatch(QWidget *window, const std::vector<QPoint> &points)
{
    const std::optional<QRect> frame = waitOnScreen(window);
    if (!frame)
        return QStringLiteral("never on the screen");
    const QImage own = window->grab().toImage();
    const QImage server = framebufferImage();
    const QImage captured = capturedImage();
    if (captured.isNull())
        return QStringLiteral("the capture tool gave nothing");
    for (const QPoint &local : points) {
        const QPoint p = frame->topLeft() + local;
        const QRgb painted = own.pixel(local * own.devicePixelRatio());
        if (!near(server.pixel(p), painted))
            return QStringLiteral("the screen shows %1 at %2,%3 where the window paints %4")
                .arg(hex(server.pixel(p))).arg(p.x()).arg(p.y()).arg(hex(painted));
        if (!near(captured.pixel(p), painted))
            return QStringLiteral("a capture shows %1 at %2,%3 where the window paints %4")
                .arg(hex(captured.pixel(p))).arg(p.x()).arg(p.y()).arg(hex(painted));
    }
    return {};
}

// Waits until the window shows what it paints (it may still be drawing its first frame).
std::string checkPainted(QWidget *window)
{
    if (!window)
        return "no window";
    const std::vector<QPoint> points{QPoint(6, window->height() / 2), window->rect().center(),
                                     QPoint(window->width() - 7, window->height() - 7)};
    QString last;
    (void)QTest::qWaitFor([&] {
        last = paintMismatch(window, points);
        return last.isEmpty();
    }, 5000);
    return last.toStdString();
}

QWidget *shownTopLevel(const char *className)
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->inherits(className) && widget->isVisible())
            return widget;
    return nullptr;
}

// Tarnel's windows in this process, set up as the program sets them up, with a screenshot in
// the history; translucent where they may be when a compositor runs.
struct OpenPanel {
    X11ScreenColormap colormap;
    LinuxSettingsStore settings{[] {
        QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
        return LinuxSettingsStore::defaultPath();
    }()};
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    X11Permissions permissions{nullptr};
    X11PanelWindowTraits traits;
    X11DesktopCompositor compositor;
    std::unique_ptr<ClipboardModel> model;
    std::unique_ptr<ClipboardModelPanelLink> link;
    std::unique_ptr<NotchPanelController> controller;

    OpenPanel()
    {
        settings.setBool(QString::fromLatin1(kOnboardingCompleteSettingKey), true);
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = &settings;
        services.workspace = &workspace;
        model = std::make_unique<ClipboardModel>(std::move(services));
        model->setEntries({screenshotEntry()});
        link = std::make_unique<ClipboardModelPanelLink>(*model, settings);
        PanelServices panelServices{settings, workspace, permissions, traits, {}, [] { return false; },
                                    nullptr, nullptr, nullptr, {}};
        panelServices.clipboardModel = model.get();
        panelServices.compositor = &compositor;
        controller = std::make_unique<NotchPanelController>(*link, panelServices);
        movePointer(kAway);
        controller->show();
    }

    // Opened by the pointer, then given the keyboard by a click into its search field, as the
    // user does before picking something in it.
    bool openWithKeyboard()
    {
        TarnelPanel *panel = controller->panel();
        if (!waitOnScreen(panel))
            return false;
        movePointer(kNotch);
        if (!QTest::qWaitFor([&] { return controller->isContentExpanded() && drawnExtents(windowOf(panel)).height() == 460; }, 5000))
            return false;
        auto *search = panel->findChild<QLineEdit *>(QStringLiteral("detailsSearch"));
        return search && clickOn(search) && waitForKeyboard(panel);
    }
};

void checkEveryPopup(OpenPanel &tarnel)
{
    // The history-size dropdown of the guide's preferences page.
    tarnel.controller->showOnboarding();
    QWidget *guide = tarnel.controller->onboardingWindow();
    ASSERT_TRUE(guide && waitForKeyboard(guide));
    xdotool({"key", "--delay", "80", "Return", "Return", "Return"});
    MenuPicker *picker = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        picker = guide->findChild<MenuPicker *>();
        return picker && picker->isVisible();
    }, 5000)) << "the preferences page";
    for (QWidget *w = picker; w; w = w->parentWidget())
        if (auto *area = qobject_cast<QScrollArea *>(w))
            area->ensureWidgetVisible(picker);
    ASSERT_TRUE(clickOn(picker));
    QMenu *dropdown = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (dropdown = qobject_cast<QMenu *>(QApplication::activePopupWidget())); }, 5000));
    EXPECT_EQ(checkPainted(dropdown), "") << "the guide's dropdown";
    dropdown->close();
    guide->close();

    // An entry's actions menu.
    EntryActionsMenu *menu = EntryActionsMenu::popUp(*tarnel.model, QStringLiteral("S1"), QRect(900, 500, 20, 20));
    ASSERT_TRUE(menu);
    EXPECT_EQ(checkPainted(menu), "") << "the actions menu";
    menu->close();

    // The Jar editor and the clear alert over the panel.
    PanelSheetHost *sheets = tarnel.controller->panel()->findChild<PanelSheetHost *>();
    ASSERT_TRUE(sheets);
    sheets->editJar(std::nullopt);
    EXPECT_EQ(checkPainted(sheets->sheet()), "") << "the Jar editor";
    sheets->sheet()->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheets->sheet(); }));
    sheets->confirmClear(ClearSection::History);
    EXPECT_EQ(checkPainted(sheets->clearAlert()), "") << "the clear alert";
    sheets->clearAlert()->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheets->clearAlert(); }));

    // The composer's save dialog.
    tarnel.controller->openScreenshotAction(tarnel.model->entries().first(), false);
    QWidget *composer = tarnel.controller->screenshotActionWindow();
    ASSERT_TRUE(composer);
    auto *save = composer->findChild<QAbstractButton *>(QStringLiteral("save"));
    ASSERT_TRUE(save);
    ASSERT_TRUE(QTest::qWaitFor([&] { return save->isEnabled(); }, 5000)) << "the image is loaded";
    ASSERT_TRUE(clickOn(save));
    QWidget *dialog = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (dialog = shownTopLevel("QFileDialog")) != nullptr; }, 5000));
    EXPECT_EQ(checkPainted(dialog), "") << "the save dialog";
    dialog->close();
    composer->close();
}

} // namespace

TEST(OpenedWindows, TheSettingsWindowOpensInFrontOfTheOpenPanelWithTheKeyboard)
{
    Fixture other(QStringLiteral("Other"), {}, QStringLiteral("900x500+510+300"));
    ASSERT_TRUE(other.waitForKeyboard());
    OpenPanel open;
    ASSERT_TRUE(open.openWithKeyboard());
    TarnelPanel *panel = open.controller->panel();

    auto *gear = panel->findChild<QAbstractButton *>(QStringLiteral("settings"));
    ASSERT_TRUE(gear);
    ASSERT_TRUE(clickOn(gear));
    ASSERT_TRUE(QTest::qWaitFor([&] { return open.controller->settingsWindow() != nullptr; }, 5000));
    QWidget *settings = open.controller->settingsWindow();
    ASSERT_TRUE(waitForKeyboard(settings)) << "the settings window takes the keyboard";
    ASSERT_TRUE(open.controller->isContentExpanded()) << "the pointer is still on the open panel";

    // Where the two overlap, the settings window is what shows and takes clicks.
    const QRect frame = *waitOnScreen(settings);
    const QRect overlap = frame & panel->geometry();
    ASSERT_FALSE(overlap.isEmpty()) << "centred on the screen, under the open panel";
    EXPECT_TRUE(QTest::qWaitFor([&] { return inFrontAt(windowOf(settings), overlap.center()); }, 3000))
        << "the settings window stands in front of the panel";
    EXPECT_TRUE(inFrontAt(windowOf(settings), overlap.topLeft() + QPoint(4, 4)));

    // Once the user turns to another application, that application's window covers it.
    ASSERT_TRUE(clickIn(*other.shownWindow(), QPoint(40, 450)));
    ASSERT_TRUE(other.waitForKeyboard());
    const QPoint covered = (frame & geometry(*other.shownWindow())).bottomLeft() + QPoint(10, -10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return inFrontAt(*other.shownWindow(), covered); }, 3000))
        << "an ordinary window again";
}

namespace {

void checkTextSheet()
{
    OpenPanel open;
    ASSERT_TRUE(open.openWithKeyboard());
    TarnelPanel *panel = open.controller->panel();

    // What a screenshot's "read text" button asks for.
    open.controller->openScreenshotAction(open.model->entries().first(), true);
    QWidget *window = open.controller->screenshotActionWindow();
    ASSERT_TRUE(window);
    auto *sheet = window->findChild<ScreenshotTextSheet *>();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(waitForKeyboard(window)) << "the sheet takes the keyboard";
    const QRect frame = *waitOnScreen(window);
    const QRect overlap = frame & panel->geometry();
    ASSERT_FALSE(overlap.isEmpty()) << "centred on the screen, under the open panel";

    // The header (thumbnail, mode switch, close button) lies under the open panel.
    auto *close = sheet->findChild<QAbstractButton *>(QStringLiteral("close"));
    ASSERT_TRUE(close);
    const QPoint closeCentre = frame.topLeft() + close->mapTo(window, close->rect().center());
    ASSERT_TRUE(overlap.contains(closeCentre));
    EXPECT_TRUE(QTest::qWaitFor([&] { return inFrontAt(windowOf(window), closeCentre); }, 3000))
        << "the sheet's close button shows in front of the panel";
    EXPECT_TRUE(inFrontAt(windowOf(window), overlap.topLeft() + QPoint(30, 20)));
    EXPECT_TRUE(open.controller->isContentExpanded()) << "the panel stays open under its sheet";

    xdotool({"key", "Escape"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return open.controller->screenshotActionWindow() == nullptr; }, 5000))
        << "Escape closes the sheet";
}

} // namespace

TEST(OpenedWindows, TheTextSheetOpensInFrontOfTheOpenPanelWithTheKeyboardAndEscapeClosesIt)
{
    checkTextSheet();
}

TEST(OpenedWindows, UnderACompositorTheTextSheetOpensInFrontOfTheOpenPanelToo)
{
    Compositor compositor;
    ASSERT_TRUE(compositor.isReady());
    checkTextSheet();
}

TEST(OpenedWindows, OnABareDesktopEveryPopupAndDialogShowsWhatItPaints)
{
    ASSERT_FALSE(Compositor::isRunning());
    OpenPanel tarnel;
    checkEveryPopup(tarnel);
}

TEST(OpenedWindows, UnderACompositorEveryPopupAndDialogShowsWhatItPaints)
{
    Compositor compositor;
    ASSERT_TRUE(compositor.isReady());
    OpenPanel tarnel;
    checkEveryPopup(tarnel);
}
