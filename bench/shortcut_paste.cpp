// How long a person waits for a shortcut paste: from the global shortcut press to the text in
// the application in front, against the real program and the fixture window.
//   a) "paste next from the Paste Stack" (Shift+Alt+Super+V) with a stack saved before start;
//   b) the history shortcut (Shift+Super+V), then Ctrl+1 in Quick Access once it has the
//      keyboard: the whole road without the pause between the presses, the part up to Quick
//      Access holding the keyboard (open_) and the part after Ctrl+1 (ctrl1_).
// Needs an X display with a window manager, e.g.:
//   TARNEL_BINARY=build/src/tarnel TARNEL_FIXTURE=build/tests/tarnel_fixture tests/support/with-x11.sh build/bench/bench_shortcut_paste
// TARNEL_SHORTCUT_RUNS sets the measured presses per benchmark (default 20). Every figure is in
// milliseconds, counted from the key-down of V (or 1); the keys are held 12 ms each, as xdotool
// holds them, and that hold is part of the figure when the paste waits for the keys to be up.
// The first press after start is reported apart (first_ms), the rest as median, min, p90, max.
#include "BenchMain.h"
#include <benchmark/benchmark.h>

#include "core/ClipboardEntry.h"
#include "engine/ClipboardModel.h"
#include "platform/linux/LinuxSettingsStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kStackSize = 64;
constexpr int kDefaultRuns = 20;
constexpr auto kArrivalLimit = 3s;
constexpr auto kStartLimit = 10s;
// Between presses: the program finishes its paste (clipboard restore, panel back) undisturbed.
constexpr auto kSettle = 400ms;
// Between Quick Access taking the keyboard and Ctrl+1: shorter than any hand's, and long enough
// that the focus change has settled before the second press.
constexpr auto kHandPause = 50ms;
// Between the key events of one chord, as xdotool leaves them. A chord pressed and released all
// in the same instant is not what a hand does, and Quick Access now and then lets such a Ctrl+1 go.
constexpr auto kKeyGap = 12ms;

Display *display()
{
    static Display *connection = [] {
        // Windows come and go while the tree is walked; a vanished one is simply skipped.
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
        return XOpenDisplay(nullptr);
    }();
    return connection;
}

QString envOr(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

int runs()
{
    const int configured = qEnvironmentVariableIntValue("TARNEL_SHORTCUT_RUNS");
    return configured > 0 ? configured : kDefaultRuns;
}

QByteArray property(Window window, const char *name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QByteArray result;
    if (XGetWindowProperty(display(), window, XInternAtom(display(), name, False), 0, 1024, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success && data) {
        const int itemSize = format == 32 ? int(sizeof(long)) : format / 8;
        result = QByteArray(reinterpret_cast<const char *>(data), int(count) * itemSize);
        XFree(data);
    }
    return result;
}

std::optional<unsigned long> firstLong(Window window, const char *name)
{
    const QByteArray bytes = property(window, name);
    if (bytes.size() < int(sizeof(long)))
        return std::nullopt;
    return *reinterpret_cast<const unsigned long *>(bytes.constData());
}

qint64 activePid()
{
    const std::optional<unsigned long> active = firstLong(DefaultRootWindow(display()), "_NET_ACTIVE_WINDOW");
    if (!active || *active == 0)
        return 0;
    return qint64(firstLong(Window(*active), "_NET_WM_PID").value_or(0));
}

// Whether the X input focus is on the window or inside it.
bool focusOn(Window window)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display(), &focus, &revert);
    while (focus != 0 && focus != PointerRoot) {
        if (focus == window)
            return true;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(display(), focus, &root, &parent, &children, &n))
            return false;
        if (children)
            XFree(children);
        if (parent == root)
            return false;
        focus = parent;
    }
    return false;
}

std::optional<Window> viewablePanel()
{
    std::optional<Window> found;
    std::function<void(Window)> visit = [&](Window window) {
        if (found)
            return;
        if (property(window, "WM_WINDOW_ROLE") == "tarnel-panel") {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display(), window, &attributes) && attributes.map_state == IsViewable) {
                found = window;
                return;
            }
        }
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (XQueryTree(display(), window, &root, &parent, &children, &n)) {
            for (unsigned int i = 0; i < n; ++i)
                visit(children[i]);
            if (children)
                XFree(children);
        }
    };
    visit(DefaultRootWindow(display()));
    return found;
}

bool waitUntil(const std::function<bool()> &condition, Clock::duration limit, Clock::duration grain = 1ms)
{
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(grain);
    }
    return condition();
}

// Presses the chord as a hand does: modifiers down, the key down, held a moment, then all up,
// through XTest (no process start near the measured moment). Returns the moment the key went
// down, which is what the shortcut answers to.
Clock::time_point pressChord(const std::vector<KeySym> &modifiers, KeySym key)
{
    for (KeySym modifier : modifiers) {
        XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), modifier), True, CurrentTime);
        XFlush(display());
        std::this_thread::sleep_for(kKeyGap);
    }
    const auto down = Clock::now();
    XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), key), True, CurrentTime);
    XFlush(display());
    std::this_thread::sleep_for(kKeyGap);
    XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), key), False, CurrentTime);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), *it), False, CurrentTime);
    XFlush(display());
    return down;
}

QString stackText(int i)
{
    return QStringLiteral("Zásobník %1: žltý kôň;").arg(i, 2, 10, QLatin1Char('0'));
}

// A history whose entries all sit in the Paste Stack, kept after pasting so that every press
// has something to paste.
void writeSettings()
{
    QList<ClipboardEntry> entries;
    QStringList stack;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < kStackSize; ++i) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.copiedAt = now.addSecs(-i * 60);
        entry.sourceApp = QStringLiteral("Editor");
        entry.kind = ClipboardKind::Text;
        entry.text = stackText(i);
        entries.append(entry);
        stack.append(entry.id);
    }
    const QString path = LinuxSettingsStore::defaultPath();
    QFile::remove(path);
    LinuxSettingsStore settings(path);
    settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(entries));
    settings.setTextList(ClipboardModel::pasteStackKey, stack);
    settings.setBool(ClipboardModel::repeatsPasteStackKey, true);
    settings.setInteger(ClipboardModel::historyLimitKey, 500);
    settings.setBool(QStringLiteral("tarnel.onboardingComplete"), true);
}

struct Running {
    QProcess process;
    explicit Running(const QString &program, const QStringList &arguments = {})
    {
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, arguments);
        process.waitForStarted(5000);
    }
    ~Running()
    {
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
};

// Watches the fixture's text file, which it replaces (write then rename) after every change.
class TextWatch {
public:
    explicit TextWatch(const QString &path) : m_path(path)
    {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        inotify_add_watch(m_fd, folder.constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~TextWatch() { ::close(m_fd); }

    QString text() const
    {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void drain()
    {
        char buffer[4096];
        while (::read(m_fd, buffer, sizeof buffer) > 0) {
        }
    }

    // The moment the text first differs from `before`, or nothing within the limit.
    std::optional<Clock::time_point> waitForChange(const QString &before, Clock::duration limit)
    {
        const auto end = Clock::now() + limit;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            pollfd watched{m_fd, POLLIN, 0};
            if (::poll(&watched, 1, int(left.count())) <= 0)
                continue;
            const auto seen = Clock::now();
            drain();
            if (text() != before)
                return seen;
        }
    }

private:
    QString m_path;
    int m_fd = -1;
};

// True when what arrived is exactly one pasted stack text appended to what was there.
bool onePasteAppended(const QString &before, const QString &after)
{
    if (!after.startsWith(before))
        return false;
    const QString added = after.mid(before.size());
    for (int i = 0; i < kStackSize; ++i)
        if (added == stackText(i))
            return true;
    return false;
}

struct Samples {
    std::vector<double> ms;
    void report(benchmark::State &state, const char *prefix) const
    {
        if (ms.empty())
            return;
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        const auto at = [&](double q) { return sorted[std::min(sorted.size() - 1, size_t(q * double(sorted.size())))]; };
        const std::string p(prefix);
        state.counters[p + "median_ms"] = sorted[sorted.size() / 2];
        state.counters[p + "min_ms"] = sorted.front();
        state.counters[p + "p90_ms"] = at(0.9);
        state.counters[p + "max_ms"] = sorted.back();
    }
};

double millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Starts the program and the fixture, the fixture in front with the keyboard.
struct Scene {
    QTemporaryDir folder;
    QString out = folder.filePath(QStringLiteral("fixture.txt"));
    std::optional<Running> tarnel;
    std::optional<Running> fixture;
    std::optional<TextWatch> watch;
    Window panel = 0;
    const char *error = nullptr;

    Scene()
    {
        writeSettings();
        XWarpPointer(display(), None, DefaultRootWindow(display()), 0, 0, 0, 0, 960, 900);
        XSync(display(), False);
        tarnel.emplace(envOr("TARNEL_BINARY", QStringLiteral("build/src/tarnel")));
        const auto shown = [&] {
            const std::optional<Window> found = viewablePanel();
            panel = found.value_or(0);
            return found.has_value();
        };
        if (!waitUntil(shown, kStartLimit, 5ms)) {
            error = "the panel did not appear";
            return;
        }
        // An empty file first, so that the fixture's rewrites land in a watched folder.
        QFile(out).open(QIODevice::WriteOnly);
        watch.emplace(out);
        fixture.emplace(envOr("TARNEL_FIXTURE", QStringLiteral("build/tests/tarnel_fixture")),
                        QStringList{"--out", out, "--title", "bench", "-geometry", "600x300+100+600"});
        if (!waitUntil([&] { return activePid() == fixture->process.processId(); }, kStartLimit, 5ms)) {
            error = "the fixture did not take the keyboard";
            return;
        }
        std::this_thread::sleep_for(kSettle);
    }

    bool fixtureInFront() { return waitUntil([&] { return activePid() == fixture->process.processId(); }, kStartLimit); }
};

QRect frame(Window window)
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display(), window, &attributes))
        return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display(), window, DefaultRootWindow(display()), 0, 0, &x, &y, &child);
    return QRect(x, y, attributes.width, attributes.height);
}

void BM_PasteNextFromStack(benchmark::State &state)
{
    if (!display()) {
        state.SkipWithError("no X display");
        return;
    }
    Scene scene;
    if (scene.error) {
        state.SkipWithError(scene.error);
        return;
    }
    Samples samples;
    std::optional<double> first;
    for (auto _ : state) {
        scene.watch->drain();
        const QString before = scene.watch->text();
        const auto pressed = pressChord({XK_Shift_L, XK_Alt_L, XK_Super_L}, XK_v);
        const std::optional<Clock::time_point> arrived = scene.watch->waitForChange(before, kArrivalLimit);
        if (!arrived) {
            state.SkipWithError("no text arrived after Shift+Alt+Super+V");
            return;
        }
        const double elapsed = millis(*arrived - pressed);
        state.SetIterationTime(elapsed / 1000.0);
        std::this_thread::sleep_for(kSettle);
        if (!onePasteAppended(before, scene.watch->text())) {
            state.SkipWithError("the fixture got something else than one stack entry");
            return;
        }
        if (!first)
            first = elapsed;
        else
            samples.ms.push_back(elapsed);
        if (!scene.fixtureInFront()) {
            state.SkipWithError("the fixture lost the keyboard");
            return;
        }
    }
    state.counters["first_ms"] = first.value_or(0);
    samples.report(state, "");
}

void BM_QuickAccessCtrl1(benchmark::State &state)
{
    if (!display()) {
        state.SkipWithError("no X display");
        return;
    }
    Scene scene;
    if (scene.error) {
        state.SkipWithError(scene.error);
        return;
    }
    const qint64 tarnelPid = scene.tarnel->process.processId();
    const QRect notch = frame(scene.panel);
    Samples total, afterCtrl1, opening;
    std::optional<double> first;
    for (auto _ : state) {
        scene.watch->drain();
        const QString before = scene.watch->text();
        const auto pressed = pressChord({XK_Shift_L, XK_Super_L}, XK_v);
        // Quick Access is ready when it is out and the X input focus is on it (the window manager
        // names the active window a moment before focus moves). Ctrl+1 follows after a pause
        // shorter than any hand's, which the totals leave out.
        if (!waitUntil([&] { return activePid() == tarnelPid && frame(scene.panel) != notch && focusOn(scene.panel); },
                       kArrivalLimit)) {
            state.SkipWithError("Quick Access did not take the keyboard");
            return;
        }
        const auto opened = Clock::now();
        std::this_thread::sleep_for(kHandPause);
        const auto secondPress = pressChord({XK_Control_L}, XK_1);
        const std::optional<Clock::time_point> arrived = scene.watch->waitForChange(before, kArrivalLimit);
        if (!arrived) {
            state.SkipWithError("no text arrived after Ctrl+1");
            return;
        }
        const double whole = millis(opened - pressed) + millis(*arrived - secondPress);
        state.SetIterationTime(whole / 1000.0);
        std::this_thread::sleep_for(kSettle);
        if (!onePasteAppended(before, scene.watch->text())) {
            state.SkipWithError("the fixture got something else than one history entry");
            return;
        }
        if (!first) {
            first = whole;
        } else {
            total.ms.push_back(whole);
            afterCtrl1.ms.push_back(millis(*arrived - secondPress));
            opening.ms.push_back(millis(opened - pressed));
        }
        if (!scene.fixtureInFront() || !waitUntil([&] { return frame(scene.panel) == notch; }, kStartLimit)) {
            state.SkipWithError("the fixture did not get the keyboard back or the panel stayed open");
            return;
        }
        std::this_thread::sleep_for(kSettle);
    }
    state.counters["first_ms"] = first.value_or(0);
    total.report(state, "");
    afterCtrl1.report(state, "ctrl1_");
    opening.report(state, "open_");
}

// One press more than measured: the first after start is reported apart.
const int kIterations = runs() + 1;
BENCHMARK(BM_PasteNextFromStack)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kIterations);
BENCHMARK(BM_QuickAccessCtrl1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kIterations);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
