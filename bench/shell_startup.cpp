// The shell's costs as a person meets them: time from starting Tarnel to its panel on screen
// (with a full history to load), processor time while the panel sits collapsed, and memory.
// Needs an X display with a window manager, e.g.:
//   tests/support/with-x11.sh build/bench/bench_shell_startup
// TARNEL_BINARY names the program (default build/src/tarnel); TARNEL_IDLE_SECONDS the idle
// measuring time (default 60).
#include <benchmark/benchmark.h>

#include "core/ClipboardEntry.h"
#include "platform/x11/LinuxSettingsStore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <X11/Xlib.h>

#include <functional>
#include <unistd.h>

namespace {

constexpr int kHistorySize = 500;

Display *display()
{
    static Display *connection = [] {
        // Windows come and go while the tree is walked; a vanished one is simply skipped.
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
        return XOpenDisplay(nullptr);
    }();
    return connection;
}

bool panelViewable()
{
    const Atom role = XInternAtom(display(), "WM_WINDOW_ROLE", False);
    bool found = false;
    std::function<void(Window)> visit = [&](Window window) {
        if (found)
            return;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(display(), window, role, 0, 16, False, AnyPropertyType, &type, &format, &count, &after,
                               &data) == Success && data) {
            const bool isPanel = QByteArray(reinterpret_cast<const char *>(data), int(count)) == "tarnel-panel";
            XFree(data);
            XWindowAttributes attributes{};
            if (isPanel && XGetWindowAttributes(display(), window, &attributes) && attributes.map_state == IsViewable) {
                found = true;
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

QString tarnelBinary()
{
    const QString configured = qEnvironmentVariable("TARNEL_BINARY");
    return configured.isEmpty() ? QStringLiteral("build/src/tarnel") : configured;
}

// A photo-like PNG of about 100 KB: noise does not compress, as screenshots of photos don't.
QByteArray noisePng(int seed)
{
    QImage image(200, 200, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed + 1));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A history as a long-used installation has it: 500 entries, every fifth an image.
void writeSettings()
{
    QList<ClipboardEntry> entries;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < kHistorySize; ++i) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.copiedAt = now.addSecs(-i * 60);
        entry.sourceApp = QStringLiteral("Editor");
        if (i % 5 == 0) {
            entry.kind = ClipboardKind::Image;
            entry.imageData = noisePng(i);
        } else {
            entry.text = QStringLiteral("Položka histórie číslo %1 s trochou textu navyše").arg(i);
        }
        entries.append(entry);
    }
    LinuxSettingsStore settings(LinuxSettingsStore::defaultPath());
    settings.setBytes(QStringLiteral("tarnel.history"), ClipboardEntry::encodeList(entries));
    settings.setInteger(QStringLiteral("tarnel.historyLimit"), kHistorySize);
    settings.setBool(QStringLiteral("tarnel.onboardingComplete"), true);
}

struct Running {
    QProcess process;
    ~Running()
    {
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
};

bool waitForPanel(std::chrono::milliseconds limit)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < limit.count()) {
        if (panelViewable())
            return true;
        QThread::usleep(500);
    }
    return false;
}

// user + system time of a process in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // After the command: state is field 3, utime field 14, stime field 15.
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

qint64 residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

void BM_StartToPanelWith500Entries(benchmark::State &state)
{
    if (!display()) {
        state.SkipWithError("no X display");
        return;
    }
    writeSettings();
    for (auto _ : state) {
        Running tarnel;
        QElapsedTimer clock;
        clock.start();
        tarnel.process.start(tarnelBinary(), {});
        if (!waitForPanel(std::chrono::seconds(10))) {
            state.SkipWithError("the panel did not appear");
            return;
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(BM_StartToPanelWith500Entries)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// state.range(0): where the pointer rests: 0 far from the panel (bottom left of the screen),
// 1 right below the collapsed notch, where the pointer is watched at the full rate.
void BM_IdleCollapsedPanel(benchmark::State &state)
{
    const bool near = state.range(0) == 1;
    XWarpPointer(display(), None, DefaultRootWindow(display()), 0, 0, 0, 0, near ? 960 : 200, near ? 120 : 900);
    XSync(display(), False);
    if (!display()) {
        state.SkipWithError("no X display");
        return;
    }
    writeSettings();
    const int seconds = qEnvironmentVariableIsSet("TARNEL_IDLE_SECONDS") ? qEnvironmentVariableIntValue("TARNEL_IDLE_SECONDS") : 60;
    for (auto _ : state) {
        Running tarnel;
        tarnel.process.start(tarnelBinary(), {});
        if (!waitForPanel(std::chrono::seconds(10))) {
            state.SkipWithError("the panel did not appear");
            return;
        }
        QThread::sleep(2); // start-up work settles
        const qint64 pid = tarnel.process.processId();
        const double before = cpuSeconds(pid);
        const qint64 residentBefore = residentKilobytes(pid);
        QElapsedTimer clock;
        clock.start();
        QThread::sleep(static_cast<unsigned long>(seconds));
        const double used = cpuSeconds(pid) - before;
        const double wall = clock.nsecsElapsed() / 1e9;
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_one_core"] = 100.0 * used / wall;
        const qint64 residentAfter = residentKilobytes(pid);
        state.counters["rss_MiB"] = residentAfter / 1024.0;
        // Run with TARNEL_IDLE_SECONDS=600 to see whether idling allocates without bound.
        state.counters["rss_growth_KiB"] = double(residentAfter - residentBefore);
    }
}
BENCHMARK(BM_IdleCollapsedPanel)->ArgName("pointerNear")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
