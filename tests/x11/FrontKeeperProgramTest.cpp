// The notch, the open panel and Quick Access where the user sees them, whatever the window under
// them does, under the window manager the run was given: quick clicks into that window (openbox
// raises a window at each click) are the user's own, never the window raising itself; a window
// that really raises itself 100 times a second gives way to a hover and to the shortcut; and
// Quick Access pastes into the window that had the keyboard also where the manager names no
// active window (twm).
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>

#include <iostream>
#include <ostream>

#include <unistd.h>

#include "ScreenReading.h"

using namespace x11test;

namespace {

constexpr QPoint kNotch{960, 8};
// Inside the window under the notch: managers that hand the keyboard to the window under the
// pointer (twm) leave it there.
constexpr QPoint kInside{960, 600};
const QRect kCollapsedNotch(912, 0, 96, 40);
const QRect kOpenPanel(735, 0, 450, 460);
// A compositing manager (marco) gives the shaped window a pixel more round its outline.
constexpr int kOutlineMargin = 2;
const QString kUnderNotch = QStringLiteral("1200x800+360+0");
constexpr int kQuickAccessWidth = 350;
// Reads of the stacking order and of the keyboard's holder over a span of a hundred raises, as the
// user sees them: the panel is in front in most (the window comes over it for the moment until the
// panel answers), and Quick Access holds the keyboard in most (a manager that hands it to the
// raising window at each raise gives it that window for the moment until Quick Access takes it
// back). A span rather than a burst of reads, so that a moment the machine runs other work in
// instead of Tarnel is not taken for the panel staying under.
constexpr std::chrono::milliseconds kHoldSpan{1000};
constexpr double kShareInFront = 0.75;
constexpr double kShareWithKeyboard = 0.75;

const QByteArray &windowManager()
{
    static const QByteArray name = qgetenv("TARNEL_X11_WM").isEmpty() ? QByteArray("openbox") : qgetenv("TARNEL_X11_WM");
    return name;
}

// twm publishes no EWMH: no active window, no full screen.
bool managerHasEwmh() { return windowManager() != "twm"; }

void setFullScreen(Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display(), "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;
    event.xclient.data.l[1] = long(XInternAtom(display(), "_NET_WM_STATE_FULLSCREEN", False));
    event.xclient.data.l[3] = 1;
    XSendEvent(display(), DefaultRootWindow(display()), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display());
}

// The fixture's window once its text field has the keyboard, told without the manager's hints.
std::optional<Window> windowWithKeyboard(const Fixture &fixture)
{
    std::optional<Window> window;
    if (!QTest::qWaitFor([&] { return (window = fixture.shownWindow()) && hasKeyboard(*window); }, 10000))
        return std::nullopt;
    return window;
}

bool isSized(Window panel, QRect expected)
{
    const QRect at = geometry(panel);
    return at.adjusted(-kOutlineMargin, -kOutlineMargin, kOutlineMargin, kOutlineMargin).contains(expected)
        && expected.adjusted(-kOutlineMargin, -kOutlineMargin, kOutlineMargin, kOutlineMargin).contains(at);
}

bool quickAccessInFront(Window panel, Window under)
{
    return geometry(panel).width() == kQuickAccessWidth && hasKeyboard(panel) && standsAbove(panel, under);
}

// The share of the reads of the stacking order over kHoldSpan that show the panel over the window.
double frontShare(Window panel, Window under)
{
    QElapsedTimer span;
    span.start();
    int reads = 0;
    int inFront = 0;
    while (span.elapsed() < kHoldSpan.count()) {
        inFront += standsAbove(panel, under);
        ++reads;
        XSync(display(), False);
    }
    return reads > 0 ? double(inFront) / reads : 0;
}

// The share of the reads of the keyboard's holder over kHoldSpan that find it in the window.
double keyboardShare(Window window)
{
    QElapsedTimer span;
    span.start();
    int reads = 0;
    int with = 0;
    while (span.elapsed() < kHoldSpan.count()) {
        with += hasKeyboard(window);
        ++reads;
        QCoreApplication::processEvents();
    }
    return reads > 0 ? double(with) / reads : 0;
}

// The share of a processor a process takes from a start on, read from /proc.
class CpuShare {
public:
    explicit CpuShare(qint64 pid)
        : m_pid(pid)
    {
        restart();
    }
    void restart()
    {
        m_ticks = ticks();
        m_clock.start();
    }
    double percent() const
    {
        const double seconds = double(m_clock.elapsed()) / 1000;
        return seconds > 0 ? 100.0 * double(ticks() - m_ticks) / double(sysconf(_SC_CLK_TCK)) / seconds : 0;
    }

private:
    // The processor time the process has taken so far, in clock ticks.
    long ticks() const
    {
        QFile file(QStringLiteral("/proc/%1/stat").arg(m_pid));
        if (!file.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray stat = file.readAll();
        // The fields after the command's name, which may hold spaces: utime and stime are 14 and 15.
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        return fields.size() > 12 ? fields.at(11).toLong() + fields.at(12).toLong() : 0;
    }

    qint64 m_pid;
    long m_ticks = 0;
    QElapsedTimer m_clock;
};

struct WindowCase {
    const char *name;
    bool fullScreen;
};

const WindowCase kWindows[] = {
    {"an active window under the notch", false},
    {"an active full-screen window", true},
};

void PrintTo(const WindowCase &row, std::ostream *out)
{
    *out << row.name;
}

class UsersOwnClicks : public ::testing::TestWithParam<WindowCase> { };

} // namespace

// Select text with a triple and a double click and more: six clicks within a second. A manager
// that raises the window at each click answers the user; the notch stays over the window, and a
// hover, the shortcut and Return work as before.
TEST_P(UsersOwnClicks, SixQuickClicksIntoTheWindowUnderTheNotchLeaveTheNotchThePanelAndQuickAccessInFront)
{
    const WindowCase &row = GetParam();
    std::cout << "[ desktop  ] " << windowManager().constData() << ", " << row.name << "\n";
    if (row.fullScreen && !managerHasEwmh())
        GTEST_SKIP() << windowManager().constData() << " knows no full screen";
    writeSettings(settingsWithHistory(3));
    movePointer(kInside);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture under("Under", QString(), kUnderNotch);
    std::optional<Window> window = windowWithKeyboard(under);
    ASSERT_TRUE(window) << "the window under the notch never had the keyboard";
    if (row.fullScreen) {
        setFullScreen(*window);
        ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(stackedWindowOf(*window)) == QRect(0, 0, 1920, 1080); }))
            << "the window did not go full screen";
        ASSERT_TRUE(waitForKeyboard(*window));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return standsAbove(*panel, *window); })) << "the notch is not in front to begin with";

    xdotool({"mousemove", QString::number(kInside.x()), QString::number(kInside.y() - 100), "click", "--repeat", "6",
             "--delay", "150", "1"});
    // The window got the presses: the manager answered each before it let the press on.
    ASSERT_TRUE(QTest::qWaitFor([&] { return under.clicks().count('\n') >= 6; }))
        << "the window got " << under.clicks().count('\n') << " clicks";
    EXPECT_TRUE(QTest::qWaitFor([&] { return standsAbove(*panel, *window); }))
        << "the notch went under the clicked window; " << tarnel.errorOutput().constData();

    movePointer(kNotch);
    EXPECT_TRUE(QTest::qWaitFor([&] { return isSized(*panel, kOpenPanel) && standsAbove(*panel, *window); }, 6000))
        << "a hover did not open the panel in front";
    movePointer(kInside);
    ASSERT_TRUE(QTest::qWaitFor([&] { return isSized(*panel, kCollapsedNotch); }, 6000));
    ASSERT_TRUE(waitForKeyboard(*window));

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return quickAccessInFront(*panel, *window); }))
        << "Quick Access is not in front with the keyboard; " << tarnel.errorOutput().constData();
    xdotool({"key", "Return"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return under.text() == QStringLiteral("záznam 0"); }, 8000))
        << "[" << under.text().toStdString() << "] " << tarnel.errorOutput().constData();
    // Long after the last raise of the clicks.
    EXPECT_FALSE(tarnel.errorOutput().contains("raises itself")) << "the user's clicks counted as the window raising itself";
}

INSTANTIATE_TEST_SUITE_P(Windows, UsersOwnClicks, ::testing::ValuesIn(kWindows));

// A window that asks the manager to raise it 100 times a second, under the notch from before
// Tarnel starts (most managers pass none of those raises over a window beside them; fluxbox
// passes every one): a copy's notice shows the notch in front of it, a hover opens the panel in
// front of it, the shortcut brings Quick Access in front with the keyboard, which it keeps while
// the window raises itself also where the manager hands the keyboard to that window at each
// raise (fluxbox) or as it comes up under the pointer (twm), and Return pastes into it. What
// Tarnel's process spends meanwhile is reported.
TEST(SelfRaisingWindow, AWindowRaisingItselfAHundredTimesASecondLeavesThePanelAndQuickAccessInReach)
{
    std::cout << "[ desktop  ] " << windowManager().constData() << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kInside);
    Fixture raising("Raising", QString(), kUnderNotch, {"--raise-every", "10"});
    const std::optional<Window> window = windowWithKeyboard(raising);
    ASSERT_TRUE(window) << "the raising window never had the keyboard";
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    CpuShare cost(tarnel.pid());

    {
        ClipboardOwner copy(QStringLiteral("kópia nad oknom"));
        ASSERT_TRUE(copy.isReady());
        EXPECT_TRUE(QTest::qWaitFor([&] { return frontShare(*panel, *window) >= kShareInFront; }))
            << "the copy's notice is under the raising window";
    }
    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return isSized(*panel, kOpenPanel); }, 6000)) << "a hover did not open the panel";
    const double overWhileOpen = frontShare(*panel, *window);
    EXPECT_GE(overWhileOpen, kShareInFront) << "the open panel is over the raising window in " << overWhileOpen * 100
                                            << " % of the reads";
    movePointer(kInside);
    ASSERT_TRUE(QTest::qWaitFor([&] { return isSized(*panel, kCollapsedNotch); }, 6000));
    ASSERT_TRUE(waitForKeyboard(*window));

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).width() == kQuickAccessWidth && hasKeyboard(*panel); }))
        << "Quick Access has no keyboard; " << tarnel.errorOutput().constData();
    const double withKeyboard = keyboardShare(*panel);
    std::cout << "[ keyboard ] " << windowManager().constData() << ": Quick Access had it in " << withKeyboard * 100
              << " % of the reads\n";
    EXPECT_GE(withKeyboard, kShareWithKeyboard)
        << "Quick Access had the keyboard in " << withKeyboard * 100 << " % of the reads; " << tarnel.errorOutput().constData();
    const double overQuickAccess = frontShare(*panel, *window);
    EXPECT_GE(overQuickAccess, kShareInFront) << "Quick Access is over the raising window in " << overQuickAccess * 100
                                              << " % of the reads";
    xdotool({"key", "Return"});
    // The copy heads the history now.
    EXPECT_TRUE(QTest::qWaitFor([&] { return raising.text() == QStringLiteral("kópia nad oknom"); }, 8000))
        << "[" << raising.text().toStdString() << "] " << tarnel.errorOutput().constData();
    std::cout << "[ cost     ] " << windowManager().constData() << ": " << cost.percent()
              << " % of a processor over a copy, a hover, the shortcut and a paste\n";
    RecordProperty("tarnelCpuPercentWhileAsked", QString::number(cost.percent(), 'f', 2).toStdString());
}

// Quick Access by its shortcut pastes into an xterm three times in a row. Where the manager
// names no active window (twm), the target is the window that had the keyboard.
TEST(PasteTarget, QuickAccessPastesIntoAnXtermThreeTimesInARow)
{
    std::cout << "[ desktop  ] " << windowManager().constData() << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kInside);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    // Raw: every byte the terminal is given reaches the file as it is.
    QTemporaryDir folder;
    const QString received = folder.filePath(QStringLiteral("received"));
    Program xterm(QStringLiteral("env"), {"LC_ALL=C.UTF-8", "xterm", "-geometry", "100x30+400+300", "-e", "sh", "-c", QStringLiteral("stty raw -echo; exec cat > %1").arg(received)});
    std::optional<Window> window;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const std::vector<Window> shown = shownWithClass("XTerm");
        window = shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
        return window && hasKeyboard(*window) && QFile::exists(received);
    },
                                10000))
        << "the xterm never had the keyboard";
    const auto bytes = [&] {
        QFile file(received);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QString expected;
    for (int time = 1; time <= 3; ++time) {
        SCOPED_TRACE(time);
        ASSERT_TRUE(waitForKeyboard(*window)) << "the xterm has not the keyboard back";
        xdotool({"key", "shift+super+v"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).width() == kQuickAccessWidth && hasKeyboard(*panel); }))
            << "Quick Access has no keyboard; " << tarnel.errorOutput().constData();
        xdotool({"key", "Return"});
        expected += QStringLiteral("záznam 0");
        EXPECT_TRUE(QTest::qWaitFor([&] { return bytes() == expected; }, 8000))
            << "received [" << bytes().toStdString() << "]; " << tarnel.errorOutput().constData();
        ASSERT_TRUE(QTest::qWaitFor([&] { return isSized(*panel, kCollapsedNotch); })) << "Quick Access stayed open";
    }
}
