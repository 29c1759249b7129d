// The whole program at twice the size, asked for by the desktop's resolution (Xft.dpi), by Qt's
// scale factor or by both, as a user who follows each piece of advice sets them: the guide and
// the settings open at twice their size (never four times), whole within the screen's available
// area, and a tiling manager floats them at that size rather than stretching them over the screen.
// A program Tarnel starts for the user (the opener of a copied file) is scaled as the user asked,
// whatever Tarnel set for itself.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "ui/quickaccess/QuickAccessView.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <X11/Xatom.h>

#include <iostream>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

const char *windowManager()
{
    static const QByteArray name = qgetenv("TARNEL_X11_WM").isEmpty() ? QByteArray("openbox") : qgetenv("TARNEL_X11_WM");
    return name.constData();
}

// The desktop's resources as xrdb leaves them on the root, read by every program as it starts.
void setResources(const QByteArray &resources)
{
    const Window root = DefaultRootWindow(display());
    const Atom property = XInternAtom(display(), "RESOURCE_MANAGER", False);
    if (resources.isEmpty())
        XDeleteProperty(display(), root, property);
    else
        XChangeProperty(display(), root, property, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(resources.constData()), int(resources.size()));
    XSync(display(), False);
}

// The part of the screen the desktop leaves to windows.
QRect workArea()
{
    const std::vector<unsigned long> area = longProperty(DefaultRootWindow(display()), "_NET_WORKAREA");
    if (area.size() >= 4)
        return QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
    return QRect(0, 0, DisplayWidth(display(), DefaultScreen(display())), DisplayHeight(display(), DefaultScreen(display())));
}

struct Scaling {
    const char *name;
    QByteArray resources;
    QByteArray qtScaleFactor;
};

std::ostream &operator<<(std::ostream &out, const Scaling &row)
{
    return out << row.name;
}

const Scaling kScalings[] = {
    {"XftDpi", "Xft.dpi:\t192\n", {}},
    {"QtScaleFactor", {}, "2"},
    {"Both", "Xft.dpi:\t192\n", "2"},
};

constexpr int kScale = 2;
// Room the program keeps for a manager's frame, in its own units (see ScreenFit.h).
constexpr QSize kFrameAllowance{16, 40};

// The program with the scaling of the row.
QProcessEnvironment environmentOf(const Scaling &row)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    environment.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
    environment.remove(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"));
    if (!row.qtScaleFactor.isEmpty())
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(row.qtScaleFactor));
    return environment;
}

// The size a window laid out at `size` opens at on this screen at twice the size.
QSize expectedSize(QSize size)
{
    return size.boundedTo(workArea().size() / kScale - kFrameAllowance) * kScale;
}

// Whether the window stands at its own size, with its frame, within the work area.
bool fits(Window window, QSize expected, const char *what)
{
    QRect client, frame;
    const bool ok = QTest::qWaitFor([&] {
        client = geometry(window);
        frame = geometry(stackedWindowOf(window));
        return client.size() == expected && workArea().contains(frame);
    },
                                    5000);
    std::cout << "[ scale    ] " << windowManager() << ", " << what << ": " << client.width() << "x" << client.height()
              << " in a frame at " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height()
              << ", the work area " << workArea().width() << "x" << workArea().height() << "\n";
    return ok;
}

// Quick Access by its shortcut, then its settings button, at twice the size.
std::optional<Window> openSettings()
{
    xdotool({"key", "shift+super+v"});
    std::optional<Window> host;
    const bool open = QTest::qWaitFor([&] {
        const auto shown = shownWithRole("tarnel-panel");
        host = shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
        return host && geometry(*host).width() == 350 * kScale && drawnExtents(*host).size() == geometry(*host).size();
    });
    if (!open)
        return std::nullopt;
    using Q = QuickAccessView;
    const QPoint settingsButton(350 - Q::kPadding - Q::kSearchHeight - Q::kSearchRowSpacing - Q::kSearchHeight / 2,
                                Q::kPadding + Q::kSearchHeight / 2);
    if (!clickIn(*host, settingsButton * kScale))
        return std::nullopt;
    return waitForRole("tarnel-settings");
}

// Places at the panel's own size: the open panel, its first row (on its text, clear of its
// controls), and the last row of an entry's actions menu, this far above the menu's bottom.
const QSize kOpenPanelSize(450, 460);
constexpr QPoint kFirstRow{120, 206};
constexpr int kLastMenuRowFromBottom = 25;

// A history of one copied file.
QByteArray settingsWithCopiedFile(const QString &path)
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.kind = ClipboardKind::File;
    entry.text = path;
    entry.fileURLs = {path};
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    const QJsonObject values{{"tarnel.onboardingComplete", true},
                             {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList({entry}).toBase64())}}}};
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

// The desktop's opener as Tarnel finds it on the PATH: it notes the scale factor it was given.
void writeOpener(const QString &folder)
{
    QFile opener(folder + QStringLiteral("/xdg-open"));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"${QT_SCALE_FACTOR-none}\" > '%1/seen.part' && mv '%1/seen.part' '%1/seen'\n")
                     .arg(folder)
                     .toUtf8());
    opener.close();
    ASSERT_TRUE(opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner));
}

class WindowScale : public testing::TestWithParam<Scaling> {
protected:
    void TearDown() override { setResources({}); }
};

} // namespace

TEST_P(WindowScale, TheGuideAndTheSettingsOpenAtTwiceTheirSizeWithinTheScreen)
{
    const Scaling &row = GetParam();
    setResources(row.resources);
    movePointer(QPoint(960, 900));
    writeSettings("{}");
    {
        Program tarnel(tarnelBinary(), {}, environmentOf(row));
        const std::optional<Window> guide = waitForRole("tarnel-onboarding");
        ASSERT_TRUE(guide) << tarnel.errorOutput().constData();
        EXPECT_TRUE(fits(*guide, expectedSize(QSize(760, 560)), "the guide")) << row.name;
    }
    writeSettings(R"({"tarnel.onboardingComplete": true})");
    Program tarnel(tarnelBinary(), {}, environmentOf(row));
    ASSERT_TRUE(waitForRole("tarnel-panel")) << tarnel.errorOutput().constData();
    const std::optional<Window> settings = openSettings();
    ASSERT_TRUE(settings) << row.name << ": the settings did not open; " << tarnel.errorOutput().constData();
    EXPECT_TRUE(fits(*settings, expectedSize(QSize(560, 700)), "the settings")) << row.name;
}

// Tarnel takes a factor of its own where the desktop's resolution scales already; a program it
// starts scales by the resolution too and must get the user's factor, not Tarnel's.
TEST_P(WindowScale, AProgramTarnelStartsGetsTheUsersScaleFactor)
{
    const Scaling &row = GetParam();
    setResources(row.resources);
    movePointer(QPoint(960, 900));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    writeOpener(folder.path());
    const QString copied = folder.filePath(QStringLiteral("zoznam.txt"));
    QFile file(copied);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    writeSettings(settingsWithCopiedFile(copied));
    QProcessEnvironment environment = environmentOf(row);
    environment.insert(QStringLiteral("PATH"), folder.path() + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    Program tarnel(tarnelBinary(), {}, environment);
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();

    // The panel opened over the notch, the copied file's actions menu, and its last row, which
    // opens the file.
    movePointer(QPoint(960, 8));
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).size() == kOpenPanelSize * kScale; }, 6000))
        << tarnel.errorOutput().constData();
    ASSERT_TRUE(clickIn(*panel, kFirstRow * kScale, 3));
    std::vector<Window> menus;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (menus = menusOf(tarnel.pid(), *panel)).size() == 1; })) << "no actions menu";
    const std::optional<QRect> menu = waitOnScreen(menus.front());
    ASSERT_TRUE(menu);
    ASSERT_TRUE(clickIn(menus.front(), QPoint(menu->width() / 2, menu->height() - kLastMenuRowFromBottom * kScale)));

    const QString seen = folder.filePath(QStringLiteral("seen"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(seen); })) << "the file was never opened; " << tarnel.errorOutput().constData();
    QFile noted(seen);
    ASSERT_TRUE(noted.open(QIODevice::ReadOnly));
    EXPECT_EQ(noted.readAll(), row.qtScaleFactor.isEmpty() ? QByteArray("none") : row.qtScaleFactor) << row.name;
}

INSTANTIATE_TEST_SUITE_P(TwiceTheSize, WindowScale, testing::ValuesIn(kScalings),
                         [](const testing::TestParamInfo<Scaling> &row) { return std::string(row.param.name); });
