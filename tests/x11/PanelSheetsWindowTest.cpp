// The panel's sheets on a real display: a sheet over the open notch panel takes the keyboard,
// which the panel itself never does, keeps the panel open while the pointer is away, and its
// keys reach the model; the clear confirmation cancels on Escape and clears nothing.
#include "engine/ClipboardModel.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11PanelWindowTraits.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"
#include "ui/panel/EditTextSheet.h"
#include "ui/panel/PanelSheetHost.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>

#include <X11/Xatom.h>

#include <functional>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 900};

// A dock that reserves all of the screen but a band across its middle, as a large scale leaves
// of a small screen: less room than any of the windows is laid out for. The strips are reserved
// at its top and its bottom, as a manager takes at most half the screen for either.
class SqueezingDock {
public:
    static constexpr int kRoomHeight = 200;

    SqueezingDock()
    {
        const int width = DisplayWidth(display(), DefaultScreen(display()));
        const int height = DisplayHeight(display(), DefaultScreen(display()));
        const int strip = (height - kRoomHeight) / 2;
        XSetWindowAttributes attributes{};
        m_window = XCreateWindow(display(), DefaultRootWindow(display()), 0, height - strip, unsigned(width),
                                 unsigned(strip), 0, CopyFromParent, InputOutput, CopyFromParent, 0, &attributes);
        const Atom dock = XInternAtom(display(), "_NET_WM_WINDOW_TYPE_DOCK", False);
        XChangeProperty(display(), m_window, XInternAtom(display(), "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char *>(&dock), 1);
        const long strips[12] = {0, 0, strip, height - kRoomHeight - strip, 0, 0, 0, 0, 0, width - 1, 0, width - 1};
        XChangeProperty(display(), m_window, XInternAtom(display(), "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char *>(strips), 12);
        XMapWindow(display(), m_window);
        XSync(display(), False);
    }
    ~SqueezingDock()
    {
        XDestroyWindow(display(), m_window);
        XSync(display(), False);
    }
    SqueezingDock(const SqueezingDock &) = delete;
    SqueezingDock &operator=(const SqueezingDock &) = delete;

private:
    Window m_window = 0;
};

// The part of the screen the desktop leaves to windows.
QRect workArea()
{
    const std::vector<unsigned long> area = longProperty(DefaultRootWindow(display()), "_NET_WORKAREA");
    if (area.size() >= 4)
        return QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
    return QRect(0, 0, DisplayWidth(display(), DefaultScreen(display())), DisplayHeight(display(), DefaultScreen(display())));
}

// Whether a manager that tiles would float the window at its size: its least and largest sizes
// are the same.
bool hasFixedSize(Window window)
{
    XSizeHints hints{};
    long supplied = 0;
    return XGetWMNormalHints(display(), window, &hints, &supplied) && (hints.flags & PMinSize) && (hints.flags & PMaxSize)
        && hints.min_width == hints.max_width && hints.min_height == hints.max_height;
}

QByteArray pngOf(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

TEST(PanelSheetsWindow, ASheetOverTheOpenPanelTakesTheKeysAndHoldsThePanelOpen)
{
    QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
    LinuxSettingsStore settings{LinuxSettingsStore::defaultPath()};
    settings.setBool(QString::fromLatin1(kOnboardingCompleteSettingKey), true);
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    X11Permissions permissions{nullptr};
    X11PanelWindowTraits traits;
    ClipboardModelServices services;
    services.pasteboard = &pasteboard;
    services.settings = &settings;
    services.workspace = &workspace;
    ClipboardModel model(std::move(services));
    ClipboardEntry entry;
    entry.id = QStringLiteral("E1");
    entry.text = QStringLiteral("Ahoj");
    entry.kind = ClipboardKind::Text;
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    model.setEntries({entry});
    model.setSnippets({ClipboardSnippet{QStringLiteral("S1"), QStringLiteral("Podpis"), QString(), QStringLiteral("Jana")}});
    ClipboardModelPanelLink link(model, settings);
    NotchPanelController controller(link, PanelServices{settings, workspace, permissions, traits, {}, [] { return false; }, nullptr, nullptr, nullptr, {}, nullptr, nullptr});
    movePointer(kAway);
    controller.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.panel()->isVisible(); }, 5000));
    ASSERT_TRUE(waitOnScreen(controller.panel())) << "the hover below needs the panel under the pointer";

    // What the panel's root view does with a host: it holds the panel open while the host shows.
    PanelSheetHost host(model, controller, controller.panel());
    QObject::connect(&host, &PanelSheetHost::presentingChanged, &controller,
                     [&controller](bool presenting) { controller.setEditorOpen(presenting); });

    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.isContentExpanded(); }, 3000));
    host.editEntry(model.entries().first());
    auto *sheet = qobject_cast<EditTextSheet *>(host.sheet());
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(QTest::qWaitFor([sheet] { return sheet->isActiveWindow(); }, 5000)) << "the sheet has the keyboard";
    ASSERT_TRUE(waitForKeyboard(sheet));
    const QRect over = controller.panel()->geometry();
    EXPECT_LE((sheet->geometry().center() - over.center()).manhattanLength(), 2) << "centred over the panel";

    xdotool({"type", "--delay", "20", " svet"});
    ASSERT_TRUE(QTest::qWaitFor([sheet] { return sheet->text() == QStringLiteral("Ahoj svet"); }, 5000))
        << sheet->text().toStdString();
    movePointer(kAway);
    EXPECT_FALSE(QTest::qWaitFor([&] { return !controller.isContentExpanded(); }, 1000))
        << "the panel stays open under its sheet";

    xdotool({"key", "ctrl+s"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.entries().first().text == QStringLiteral("Ahoj svet"); }, 5000));
    EXPECT_FALSE(host.sheet());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.isContentExpanded(); }, 3000))
        << "with the sheet gone, the pointer away lets the panel close";

    host.confirmClear(ClearSection::Snippets);
    QWidget *alert = host.clearAlert();
    ASSERT_TRUE(alert);
    ASSERT_TRUE(QTest::qWaitFor([alert] { return alert->isActiveWindow(); }, 5000));
    ASSERT_TRUE(waitForKeyboard(alert));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !host.clearAlert(); }, 5000));
    EXPECT_EQ(model.snippets().size(), 1) << "Escape clears nothing";
}

// Return in the editor breaks the line; Ctrl+Return pastes the edited text where the user was.
TEST(PanelSheetsWindow, CtrlReturnInTheEditSheetPastesTheEditedText)
{
    QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
    LinuxSettingsStore settings{LinuxSettingsStore::defaultPath()};
    settings.setBool(QString::fromLatin1(kOnboardingCompleteSettingKey), true);
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    X11KeySender keys{&workspace};
    X11KeyTap tap;
    X11Permissions permissions{&tap};
    X11PanelWindowTraits traits;
    ClipboardModelServices services;
    services.pasteboard = &pasteboard;
    services.settings = &settings;
    services.workspace = &workspace;
    services.permissions = &permissions;
    services.keySender = &keys;
    ClipboardModel model(std::move(services));
    ClipboardEntry entry;
    entry.id = QStringLiteral("E1");
    entry.text = QStringLiteral("Ahoj");
    entry.kind = ClipboardKind::Text;
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    model.setEntries({entry});
    ASSERT_TRUE(permissions.accessibilityTrusted());

    Fixture editor("editor", {}, QStringLiteral("500x300+100+300"));
    ASSERT_TRUE(editor.waitForKeyboard());
    model.setPasteTargetApplication(workspace.frontmostApplication());

    ClipboardModelPanelLink link(model, settings);
    NotchPanelController controller(link, PanelServices{settings, workspace, permissions, traits, {}, [] { return false; }, nullptr, nullptr, nullptr, {}, nullptr, nullptr});
    movePointer(kAway);
    controller.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.panel()->isVisible(); }, 5000));
    ASSERT_TRUE(waitOnScreen(controller.panel()));
    PanelSheetHost host(model, controller, controller.panel());
    QObject::connect(&host, &PanelSheetHost::presentingChanged, &controller,
                     [&controller](bool presenting) { controller.setEditorOpen(presenting); });
    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.isContentExpanded(); }, 3000));
    host.editEntry(model.entries().first());
    auto *sheet = qobject_cast<EditTextSheet *>(host.sheet());
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(QTest::qWaitFor([sheet] { return sheet->isActiveWindow(); }, 5000));
    ASSERT_TRUE(waitForKeyboard(sheet));

    xdotool({"key", "End", "Return"});
    xdotool({"type", "--delay", "20", "svet"});
    ASSERT_TRUE(QTest::qWaitFor([sheet] { return sheet->text() == QStringLiteral("Ahoj\nsvet"); }, 5000))
        << sheet->text().toStdString();
    EXPECT_TRUE(editor.text().isEmpty()) << "Return only broke the line";
    xdotool({"key", "ctrl+Return"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text() == QStringLiteral("Ahoj\nsvet"); }, 8000))
        << editor.text().toStdString();
    EXPECT_FALSE(host.sheet());
    EXPECT_EQ(model.entries().first().text, QStringLiteral("Ahoj")) << "a paste does not save the edit";
}

// Where the desktop leaves less room than a window is laid out for, every window Tarnel opens
// stands whole, with the manager's frame around it, within the screen's available area, and keeps
// a fixed size that a tiling manager floats: the guide and the settings, and each sheet the
// panel opens over itself.
TEST(PanelSheetsWindow, EveryWindowOpensWholeWithinTheScreensAvailableArea)
{
    QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
    LinuxSettingsStore settings{LinuxSettingsStore::defaultPath()};
    settings.setBool(QString::fromLatin1(kOnboardingCompleteSettingKey), true);
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    X11Permissions permissions{nullptr};
    X11PanelWindowTraits traits;
    ClipboardModelServices services;
    services.pasteboard = &pasteboard;
    services.settings = &settings;
    services.workspace = &workspace;
    ClipboardModel model(std::move(services));
    ClipboardEntry text;
    text.id = QStringLiteral("E1");
    text.text = QStringLiteral("Ahoj");
    text.kind = ClipboardKind::Text;
    text.copiedAt = QDateTime::currentDateTimeUtc();
    ClipboardEntry image;
    image.id = QStringLiteral("I1");
    image.kind = ClipboardKind::Image;
    image.imageData = pngOf(QSize(1600, 1200));
    image.copiedAt = text.copiedAt;
    model.setEntries({text, image});
    ClipboardModelPanelLink link(model, settings);
    PanelServices panelServices{settings, workspace, permissions, traits, {}, [] { return false; }, nullptr, nullptr, nullptr, {}, nullptr, nullptr};
    panelServices.clipboardModel = &model;
    NotchPanelController controller(link, panelServices);
    movePointer(kAway);
    controller.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.panel()->isVisible(); }, 5000));
    PanelSheetHost host(model, controller, controller.panel());

    SqueezingDock dock;
    ASSERT_TRUE(QTest::qWaitFor([] {
        return workArea().height() == SqueezingDock::kRoomHeight
            && QGuiApplication::primaryScreen()->availableGeometry().height() == SqueezingDock::kRoomHeight;
    },
                                10000))
        << "the manager did not reserve the dock's strip: " << workArea().height() << " " << QGuiApplication::primaryScreen()->availableGeometry().height();

    const struct {
        const char *name;
        std::function<QWidget *()> open;
        std::function<void()> close;
    } windows[] = {
        {"the guide", [&] { controller.showOnboarding(); return controller.onboardingWindow(); },
         [&] { delete controller.onboardingWindow(); }},
        {"the settings", [&] { controller.openSettingsWindow(); return controller.settingsWindow(); },
         [&] { delete controller.settingsWindow(); }},
        {"the text editor sheet", [&] { host.editEntry(text); return host.sheet(); }, [&] { host.dismissAll(); }},
        {"the image composer sheet", [&] { host.composeImage(image); return host.sheet(); }, [&] { host.dismissAll(); }},
        {"the Jar editor", [&] { host.editJar(std::nullopt); return host.sheet(); }, [&] { host.dismissAll(); }},
        {"the snippet editor", [&] { host.editSnippet(std::nullopt); return host.sheet(); }, [&] { host.dismissAll(); }},
    };
    for (const auto &row : windows) {
        SCOPED_TRACE(row.name);
        QWidget *window = row.open();
        ASSERT_TRUE(window);
        const std::optional<QRect> client = waitOnScreen(window);
        ASSERT_TRUE(client);
        QRect frame;
        EXPECT_TRUE(QTest::qWaitFor([&] { return workArea().contains(frame = geometry(stackedWindowOf(windowOf(window)))); }, 5000))
            << "its frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height()
            << " reaches past the work area";
        EXPECT_TRUE(hasFixedSize(windowOf(window))) << "a tiling manager would stretch it";
        const QPointer<QWidget> shown = window;
        row.close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shown || !shown->isVisible(); }, 5000));
    }
}
