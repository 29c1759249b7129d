// Windows that Tarnel opens from the open notch panel, on a real display: each stands in front of
// the panel, which floats over every other window, and takes the keyboard; the text sheet closes
// on Escape. Afterwards the settings window is an ordinary window again: another application
// that the user turns to covers it.
#include "engine/ClipboardModel.h"
#include "platform/x11/LinuxSettingsStore.h"
#include "platform/x11/X11DesktopCompositor.h"
#include "platform/x11/X11PanelWindowTraits.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"
#include "ui/tools/ScreenshotTextSheet.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include "X11TestSupport.h"

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

// A compositing manager, running while this lives.
class Compositor : public Program {
public:
    Compositor() : Program(QStringLiteral("xcompmgr"))
    {
        m_ready = QTest::qWaitFor([] { return XGetSelectionOwner(display(), XInternAtom(display(), "_NET_WM_CM_S0", False)) != 0; });
    }
    bool isReady() const { return m_ready; }

private:
    bool m_ready = false;
};

// The notch panel, on a real display, with a screenshot in its history; translucent when a
// compositor runs.
struct OpenPanel {
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

} // namespace

TEST(WindowsOverThePanel, TheSettingsWindowOpensInFrontOfTheOpenPanelWithTheKeyboard)
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

TEST(WindowsOverThePanel, TheTextSheetOpensInFrontOfTheOpenPanelWithTheKeyboardAndEscapeClosesIt)
{
    checkTextSheet();
}

TEST(WindowsOverThePanel, UnderACompositorTheTextSheetOpensInFrontOfTheOpenPanelToo)
{
    Compositor compositor;
    ASSERT_TRUE(compositor.isReady());
    checkTextSheet();
}
