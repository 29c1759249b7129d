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

#include <QDir>
#include <QFileInfo>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 900};

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
