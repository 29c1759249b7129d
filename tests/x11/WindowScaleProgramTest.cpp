// The whole program at twice the size, asked for by the desktop's resolution (Xft.dpi), by Qt's
// scale factor or by both, as a user who follows each piece of advice sets them: the guide and
// the settings open at twice their size (never four times), whole within the screen's available
// area, and a tiling manager floats them at that size rather than stretching them over the screen.
#include <gtest/gtest.h>

#include "ui/quickaccess/QuickAccessView.h"

#include <QProcessEnvironment>

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

INSTANTIATE_TEST_SUITE_P(TwiceTheSize, WindowScale, testing::ValuesIn(kScalings),
                         [](const testing::TestParamInfo<Scaling> &row) { return std::string(row.param.name); });
