// What is opened from the open notch panel stands over it, under whichever window manager the
// run was given (openbox, metacity, xfwm4): the edit sheet, the clear confirmation and an
// entry's actions menu, read in the stacking order of the root's children and on the screen.
#include "engine/ClipboardModel.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/x11/X11PanelWindowTraits.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/PanelSheetHost.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <iostream>

#include "ScreenReading.h"

using namespace x11test;

namespace {

constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 900};

const char *windowManager()
{
    static const QByteArray name = qgetenv("TARNEL_X11_WM").isEmpty() ? QByteArray("openbox") : qgetenv("TARNEL_X11_WM");
    return name.constData();
}

// The share of the window's points that the screen shows as the window draws itself.
double shownShare(QWidget *window)
{
    const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage screen = framebufferImage();
    const QRect frame = window->geometry();
    int points = 0, same = 0;
    for (int y = 2; y < drawn.height() - 2; y += 3)
        for (int x = 2; x < drawn.width() - 2; x += 3) {
            ++points;
            same += (screen.pixel(frame.x() + x, frame.y() + y) & 0xffffffu) == (drawn.pixel(x, y) & 0xffffffu);
        }
    return points ? double(same) / points : 0;
}

// Whether the window is above the panel in the stacking order and drawn whole on the screen.
bool wholeAbove(QWidget *window, QWidget *panel, const char *what)
{
    double share = 0;
    const bool above = QTest::qWaitFor([&] {
        return standsAbove(windowOf(window), windowOf(panel)) && (share = shownShare(window)) > 0.97;
    },
                                       3000);
    std::cout << "[ order    ] " << windowManager() << ", " << what << ": " << (above ? "above" : "NOT above")
              << " the panel, " << int(share * 100) << "% of it shown\n";
    if (!above) {
        std::cout << "[ order    ] window " << stackedWindowOf(windowOf(window)) << ", panel " << windowOf(panel) << ":";
        for (const Window child : stackingOrder())
            if (isViewable(child))
                std::cout << " " << child << (bypassesWindowManager(child) ? "*" : "");
        std::cout << "\n";
    }
    return above;
}

struct Desk {
    Desk()
    {
        QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
        settings.setBool(QString::fromLatin1(kOnboardingCompleteSettingKey), true);
    }
    LinuxSettingsStore settings{LinuxSettingsStore::defaultPath()};
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    X11Permissions permissions{nullptr};
    X11PanelWindowTraits traits;
};

ClipboardModelServices servicesOf(Desk &desk)
{
    ClipboardModelServices services;
    services.pasteboard = &desk.pasteboard;
    services.settings = &desk.settings;
    services.workspace = &desk.workspace;
    return services;
}

} // namespace

TEST(PanelWindowOrder, TheEditSheetTheClearAlertAndTheActionsMenuStandWholeOverTheOpenPanel)
{
    Desk desk;
    ClipboardModel model(servicesOf(desk));
    ClipboardEntry entry;
    entry.id = QStringLiteral("E1");
    entry.text = QStringLiteral("Ahoj");
    entry.kind = ClipboardKind::Text;
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    model.setEntries({entry});
    ClipboardModelPanelLink link(model, desk.settings);
    NotchPanelController controller(link, PanelServices{desk.settings, desk.workspace, desk.permissions, desk.traits, {}, [] { return false; }, nullptr, nullptr, nullptr, {}, nullptr, nullptr});
    // Another program's window in front, where the panel opens.
    Fixture other("Other", QString(), QStringLiteral("900x700+500+100"));
    ASSERT_TRUE(other.waitForKeyboard());
    movePointer(kAway);
    controller.show();
    ASSERT_TRUE(waitOnScreen(controller.panel()));
    PanelSheetHost host(model, controller, controller.panel());
    QObject::connect(&host, &PanelSheetHost::presentingChanged, &controller,
                     [&controller](bool presenting) { controller.setEditorOpen(presenting); });

    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.isContentExpanded(); }, 3000));
    host.editEntry(model.entries().first());
    QWidget *sheet = host.sheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(waitForKeyboard(sheet));
    EXPECT_TRUE(wholeAbove(sheet, controller.panel(), "edit sheet"));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !host.sheet(); }, 5000));

    host.confirmClear(ClearSection::History);
    QWidget *alert = host.clearAlert();
    ASSERT_TRUE(alert);
    ASSERT_TRUE(waitForKeyboard(alert));
    EXPECT_TRUE(wholeAbove(alert, controller.panel(), "clear alert"));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !host.clearAlert(); }, 5000));

    // The actions menu, opened from a row near the panel's left edge, overlaps the panel.
    controller.setActionMenuOpen(true);
    const QRect panel = controller.panel()->frame();
    EntryActionsMenu *menu = EntryActionsMenu::popUp(model, entry.id, QRect(panel.left() - 40, 120, 30, 30));
    ASSERT_TRUE(menu);
    ASSERT_TRUE(waitOnScreen(menu));
    ASSERT_TRUE(menu->geometry().intersects(panel));
    EXPECT_TRUE(wholeAbove(menu, controller.panel(), "actions menu"));
    menu->close();
    controller.setActionMenuOpen(false);
}
