// What keeping the notch panel in front costs while other windows move: the main thread's CPU
// share and the requests it sends per event of another window, over one second of a window
// that raises itself 100 times a second (range 0), of a window dragged at 60 Hz among 300
// unmapped top-level windows, as a desktop with many programs has (range 1), and of the window
// raising itself while the user asks for the panel, which then stands over it after each raise
// (range 2); range(1) 0 runs the same without the panel kept, for what Qt's own connection spends
// meanwhile. Per event of the other window it counts the requests of both connections and of the
// keeper's alone, and how often the main thread went to sleep (woken for an event or waiting for
// a reply): each wake costs more than the work it wakes for. Run on a display
// with a window manager: tests/support/with-x11.sh build-test/bench/bench_front_keeper. Ten
// seconds a case: one second swings by a point of a percent from run to run.
#include "BenchMain.h"
#include "platform/x11/X11FrontKeeper.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <time.h>
#include <X11/Xlib.h>

namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kRaisePeriod{10};
constexpr std::chrono::milliseconds kDragPeriod{16};
constexpr std::chrono::milliseconds kMeasured{1000};
constexpr int kIdleWindows = 300;

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// How often the calling thread has gone to sleep so far: each time it waited for the server or
// for the next event.
long threadSleeps()
{
    QFile status(QStringLiteral("/proc/thread-self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toLong();
    return 0;
}

// Turns the event loop for a span as the running program does, woken only for what comes: a
// QTest::qWait polls every 10 ms and would count its own hundred wakes a second as Qt's.
void runEventsFor(std::chrono::milliseconds span)
{
    QEventLoop loop;
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts the root's configure events (moves and restacks) of other windows, and the panel's own
// restacks, on a connection of its own.
struct RootEvents {
    Display *display = XOpenDisplay(nullptr);
    unsigned long panel = 0;
    int others = 0;
    int panelRestacks = 0;

    RootEvents()
    {
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        XSync(display, False);
    }
    ~RootEvents() { XCloseDisplay(display); }
    void take()
    {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != ConfigureNotify)
                continue;
            if (event.xconfigure.window == panel)
                ++panelRestacks;
            else
                ++others;
        }
    }
};

void keeperCost(benchmark::State &state)
{
    const bool raising = state.range(0) != 1;
    const bool asking = state.range(0) == 2;
    const bool keeping = state.range(1) == 1;
    Display *qtDisplay = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
    QWidget panel(nullptr, Qt::BypassWindowManagerHint | Qt::FramelessWindowHint);
    panel.setGeometry(735, 0, 450, 460);
    panel.show();
    (void)QTest::qWaitForWindowExposed(&panel);
    X11FrontKeeper keeper;
    if (keeping)
        keeper.keep(panel);

    Display *other = XOpenDisplay(nullptr);
    const Window root = DefaultRootWindow(other);
    std::vector<Window> idle;
    for (int i = 0; !raising && i < kIdleWindows; ++i)
        idle.push_back(XCreateSimpleWindow(other, root, 10 * (i % 50), 10 * (i / 50), 200, 150, 0, 0, 0));
    const Window moving = XCreateSimpleWindow(other, root, 800, 200, 400, 300, 0, 0, 0xffffff);
    XMapWindow(other, moving);
    XSync(other, False);
    QTest::qWait(500);

    RootEvents events;
    events.panel = panel.winId();
    std::atomic<bool> stop = false;
    std::atomic<int> actions = 0;
    std::thread actor([&] {
        for (int step = 0; !stop; ++step) {
            if (raising)
                XRaiseWindow(other, moving);
            else
                XMoveWindow(other, moving, 600 + step % 400, 200 + step % 100);
            XFlush(other);
            ++actions;
            std::this_thread::sleep_for(raising ? kRaisePeriod : kDragPeriod);
        }
    });

    double cpu = 0;
    unsigned long requests = 0;
    unsigned long keeperRequests = 0;
    long sleeps = 0;
    for (auto _ : state) {
        // A hover or the shortcut: the panel gives way to nothing for a while.
        if (asking)
            keeper.bringToFront();
        const double cpuBefore = threadCpuSeconds();
        const unsigned long requestsBefore = XNextRequest(qtDisplay) + keeper.requestsSent();
        const unsigned long keeperBefore = keeper.requestsSent();
        const long sleepsBefore = threadSleeps();
        runEventsFor(kMeasured);
        cpu += threadCpuSeconds() - cpuBefore;
        requests += XNextRequest(qtDisplay) + keeper.requestsSent() - requestsBefore;
        keeperRequests += keeper.requestsSent() - keeperBefore;
        sleeps += threadSleeps() - sleepsBefore;
        events.take();
    }
    stop = true;
    actor.join();

    const double seconds = double(state.iterations()) * double(kMeasured.count()) / 1000;
    state.SetLabel(std::string(asking        ? "a window raising itself 100/s, the user asking for the panel"
                                   : raising ? "a window raising itself 100/s"
                                             : "a window dragged among 300")
                   + (keeping ? ", kept" : ", not kept (what Qt alone costs)"));
    state.counters["keeperCpuPercent"] = 100 * cpu / seconds;
    state.counters["otherEvents"] = events.others;
    state.counters["requestsPerEvent"] = events.others ? double(requests) / events.others : 0;
    state.counters["keeperRequestsPerEvent"] = events.others ? double(keeperRequests) / events.others : 0;
    state.counters["sleepsPerEvent"] = events.others ? double(sleeps) / events.others : 0;
    state.counters["panelRestacksPerSecond"] = events.panelRestacks / seconds;
    for (const Window window : idle)
        XDestroyWindow(other, window);
    XDestroyWindow(other, moving);
    XCloseDisplay(other);
}
BENCHMARK(keeperCost)->ArgsProduct({{0, 1, 2}, {0, 1}})->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    QApplication app(argc, argv);
    return benchmain::runBenchmarks(argc, argv);
}
