// Menu-bar mode: the tray icon opens and closes Quick Access in a popup; without a tray host
// the panel stays on screen and the program says why. In notch mode the same icon opens and
// closes the notch panel.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>

#include <memory>

#include "X11TestSupport.h"
#include "support/FolderEvents.h"

using namespace x11test;

namespace {

const QByteArray kMenuBarMode = R"({"tarnel.onboardingComplete": true, "tarnel.presentationMode": "menuBar"})";

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

// A point of the root window that no window covers: the tray sits at the bottom right.
constexpr int kBareDesktopX = 200;
constexpr int kBareDesktopY = 300;
constexpr int kPopupWithin = 3000;
constexpr int kIntoThePopup = 12;
// How long a popup that should stay open is watched.
constexpr int kStaysOpenFor = 1000;

bool popupShown() { return !shownWithRole("tarnel-popover").empty(); }

// The panel's window as the server has it: the whole open panel, or the notch at rest.
bool panelIs(Window panel, QSize size) { return geometry(panel).size() == size && drawnExtents(panel).size() == size; }

} // namespace

TEST(MenuBarMode, TrayIconOpensAndClosesThePopup)
{
    writeSettings(kMenuBarMode);
    Tray tray;
    ASSERT_TRUE(QTest::qWaitFor(Tray::isReady));
    Program tarnel(tarnelBinary());
    const std::optional<Window> icon = waitForTrayIcon();
    ASSERT_TRUE(icon) << tarnel.errorOutput().constData();
    EXPECT_FALSE(popupShown());

    const QPoint iconCentre = geometry(*icon).center();
    const QPoint inIcon = iconCentre - geometry(*icon).topLeft();
    ASSERT_TRUE(clickIn(*icon, inIcon));
    ASSERT_TRUE(QTest::qWaitFor(popupShown, 3000)) << tarnel.errorOutput().constData();
    EXPECT_TRUE(shownWithRole("tarnel-panel").empty()) << "the notch panel stays hidden";
    const QRect popupFrame = geometry(shownWithRole("tarnel-popover").front());
    EXPECT_EQ(popupFrame.width(), 350);
    EXPECT_LE(popupFrame.bottom(), geometry(*icon).top()) << "on a bottom tray it opens above the icon";
    EXPECT_LE(std::abs(popupFrame.center().x() - iconCentre.x()), 350) << "next to the icon";

    ASSERT_TRUE(clickIn(*icon, inIcon));
    EXPECT_TRUE(QTest::qWaitFor([] { return !popupShown(); }, 3000)) << "a second click closes it";

    // A click right after the popup closed by itself belongs to that closing; a person's next
    // click, a moment later, opens it again.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        clickAt(iconCentre);
        return QTest::qWaitFor(popupShown, 300);
    },
                                3000))
        << "and a third opens it again";
}

// A press anywhere outside the popup closes it, also on the bare desktop, where a manager that
// keeps the keyboard with the popup (metacity) never takes it away; a press inside keeps it open.
TEST(MenuBarMode, APressOutsideThePopupClosesItAlsoOnTheBareDesktop)
{
    writeSettings(kMenuBarMode);
    Tray tray;
    ASSERT_TRUE(QTest::qWaitFor(Tray::isReady));
    Program tarnel(tarnelBinary());
    const std::optional<Window> icon = waitForTrayIcon();
    ASSERT_TRUE(icon) << tarnel.errorOutput().constData();
    const QPoint inIcon = geometry(*icon).center() - geometry(*icon).topLeft();
    const QPoint bareDesktop(kBareDesktopX, kBareDesktopY);
    ASSERT_TRUE(clickIn(*icon, inIcon));
    ASSERT_TRUE(QTest::qWaitFor(popupShown, kPopupWithin)) << tarnel.errorOutput().constData();

    const QRect popupFrame = geometry(shownWithRole("tarnel-popover").front());
    ASSERT_FALSE(popupFrame.contains(bareDesktop));
    // A press at the popup's top, on its search field: nothing that closes it by itself.
    clickAt(QPoint(popupFrame.center().x(), popupFrame.top() + kIntoThePopup));
    EXPECT_FALSE(QTest::qWaitFor([] { return !popupShown(); }, kStaysOpenFor)) << "a press inside keeps it open";

    clickAt(bareDesktop);
    EXPECT_TRUE(QTest::qWaitFor([] { return !popupShown(); }, kPopupWithin))
        << "a press on the bare desktop closes it";
}

TEST(MenuBarMode, WithoutATrayHostThePanelStaysReachableAndTheProgramSaysWhy)
{
    writeSettings(kMenuBarMode);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << "the panel is the only way into Tarnel";
    EXPECT_EQ(geometry(*panel), QRect(912, 0, 96, 40)) << "the notch at the top centre";
    EXPECT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().contains("No system tray is available"); }))
        << tarnel.errorOutput().constData();
    movePointer({960, 8});
    EXPECT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).height() == 460; }, 3000)) << "and it opens on hover";

    // A tray host that starts later (a desktop panel after Tarnel at login) takes over.
    movePointer({300, 900});
    auto tray = std::make_unique<Tray>();
    EXPECT_TRUE(waitForTrayIcon()) << "the icon joins the tray";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isViewable(*panel); }, 5000)) << "and the panel makes way";

    // The desktop panel ends (it crashed, or the user quit it): the notch panel is back at once,
    // and the next host takes over again.
    tray->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return isViewable(*panel); }, 5000)) << tarnel.errorOutput().constData();
    EXPECT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().contains("The system tray went away"); }));
    tray = std::make_unique<Tray>();
    EXPECT_TRUE(waitForTrayIcon()) << "the icon joins the new tray";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isViewable(*panel); }, 5000)) << "and the panel makes way again";
}

// With folder events, and without them (other programs have used up the user's inotify
// instances), where the folder's poll finds the screenshot.
TEST(MenuBarMode, WithoutATrayHostANewScreenshotShowsTheToastAloneAndTheNotchStaysAsItWas)
{
    const struct {
        const char *name;
        const char *preload;
    } cases[] = {
        {"no folder events", TARNEL_NO_INOTIFY_LIBRARY},
        {"folder events", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // The program's own folder events come from the instances the user has left, as this
        // process's do; the row without them has run by then.
        if (!c.preload && !folderevents::systemGivesFolderEvents())
            GTEST_SKIP() << folderevents::kNoFolderEvents;
        QTemporaryDir shots;
        QJsonObject settings = QJsonDocument::fromJson(kMenuBarMode).object();
        settings.insert(QStringLiteral("tarnel.screenshotFolderPath"), shots.path());
        writeSettings(QJsonDocument(settings).toJson(QJsonDocument::Compact));
        movePointer({300, 900});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (c.preload)
            environment.insert(QStringLiteral("LD_PRELOAD"), QString::fromLatin1(c.preload));
        Program tarnel(tarnelBinary(), {}, environment);
        const std::optional<Window> panel = waitForPanel();
        ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
        const QRect notch(912, 0, 96, 40);
        ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notch; }));

        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(qRgb(40, 120, 200));
        QSaveFile file(shots.filePath(QStringLiteral("Screenshot from 2026-12-08 07-00-00.png")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(image.save(&file, "PNG"));
        ASSERT_TRUE(file.commit());
        const auto toastShown = [] {
            const std::vector<Window> shown = shownWithRole("tarnel-toast");
            return shown.size() == 1 && geometry(shown.front()) == QRect(1580, 20, 320, 124);
        };
        ASSERT_TRUE(QTest::qWaitFor(toastShown, 15000)) << "the toast at the top right " << tarnel.errorOutput().constData();
        EXPECT_EQ(tarnel.errorOutput().contains("folder events are unavailable"), c.preload != nullptr)
            << tarnel.errorOutput().constData();

        // For as long as the toast shows, the notch neither grows into the screenshot's notice nor
        // draws anything of it.
        QRect grown;
        (void)QTest::qWaitFor([&] {
            if (geometry(*panel) != notch || drawnExtents(*panel).size() != notch.size())
                grown = QRect(geometry(*panel).topLeft(), drawnExtents(*panel).size());
            return !grown.isNull() || !toastShown();
        },
                              10000);
        EXPECT_TRUE(grown.isNull()) << "the notch showed the notice as well, drawn " << grown.width() << "x" << grown.height();
        tarnel.close();
        EXPECT_TRUE(QTest::qWaitFor([] { return shownWithRole("tarnel-panel").empty(); }));
    }
}

TEST(MenuBarMode, InNotchModeTheTrayIconOpensThePanelUntilItIsClickedAgain)
{
    writeSettings(R"({"tarnel.onboardingComplete": true})");
    movePointer({300, 900});
    Tray tray;
    ASSERT_TRUE(QTest::qWaitFor(Tray::isReady));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const std::optional<Window> icon = waitForTrayIcon();
    ASSERT_TRUE(icon) << tarnel.errorOutput().constData();
    const QSize open(450, 460);
    const QSize notch(96, 40);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelIs(*panel, notch); }));

    // The sizes the panel's window went through, for the messages.
    QString sizes;
    const auto is = [&](QSize size) {
        const QRect frame = geometry(*panel);
        const QString now = QStringLiteral(" %1x%2").arg(frame.width()).arg(frame.height());
        if (!sizes.endsWith(now))
            sizes += now;
        return panelIs(*panel, size);
    };

    // The pointer stays on the icon, far from the notch, and the panel stays open.
    const QPoint inIcon = geometry(*icon).center() - geometry(*icon).topLeft();
    ASSERT_TRUE(clickIn(*icon, inIcon));
    ASSERT_TRUE(QTest::qWaitFor([&] { return is(open); }, 3000)) << "the window went through" << sizes.toStdString();
    EXPECT_FALSE(QTest::qWaitFor([&] { return !is(open); }, 1000))
        << "within a second the window went through" << sizes.toStdString();
    EXPECT_FALSE(popupShown()) << "the popup never opens in notch mode";

    ASSERT_TRUE(clickIn(*icon, inIcon));
    EXPECT_TRUE(QTest::qWaitFor([&] { return is(notch); }, 3000))
        << "a second click closes it; the window went through" << sizes.toStdString();
}
