// The shell's costs as a person meets them: time from starting Tarnel to its panel on screen
// (with a full history to load), processor time and wake-ups while the panel sits collapsed,
// memory, and the road of another program's copy into the stored history (how soon, and at
// what processor cost; also a short copy made right after three 20 MB texts, and the
// interface thread's share), and a start over a history of gigabytes: its peak memory, how soon
// a copy made at once is on disk, and how long the quit takes.
// Needs an X display with a window manager, e.g.:
//   tests/support/with-x11.sh build/bench/bench_shell_startup
// TARNEL_BINARY names the program (default build/src/tarnel); TARNEL_IDLE_SECONDS the idle
// measuring time (default 60).
#include "BenchMain.h"
#include <benchmark/benchmark.h>

#include "core/ClipboardEntry.h"
#include "core/ClipboardImageStore.h"
#include "engine/HistoryRows.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/SqliteHistoryStore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <QDir>
#include <QFileInfo>

#include <X11/Xlib.h>

#include <sqlite3.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <vector>
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

void removeHistory()
{
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(SqliteHistoryStore::defaultPath() + QLatin1String(suffix));
}

// A history as a long-used installation has it: 500 entries, every fifth an image in the image
// store, in the history database.
void writeSettings()
{
    removeHistory();
    const ClipboardImageStore images;
    QList<ClipboardEntry> entries;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < kHistorySize; ++i) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.copiedAt = now.addSecs(-i * 60);
        entry.sourceApp = QStringLiteral("Editor");
        if (i % 5 == 0) {
            entry.kind = ClipboardKind::Image;
            entry.imageFilePath = images.save(noisePng(i)).path;
        } else {
            entry.text = QStringLiteral("Položka histórie číslo %1 s trochou textu navyše").arg(i);
        }
        entries.append(entry);
    }
    SqliteHistoryStore history(SqliteHistoryStore::defaultPath());
    history.read();
    history.apply(HistoryChange{HistoryRows::rowsFor(entries), {}, {}});
    LinuxSettingsStore settings(LinuxSettingsStore::defaultPath());
    settings.remove(QStringLiteral("tarnel.history"));
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

// Times each thread of the process was switched in so far, by thread id: each is a wake-up.
QHash<QString, qint64> contextSwitchesByThread(qint64 pid)
{
    QHash<QString, qint64> counts;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                counts[task] += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return counts;
}

// Wake-ups between two readings: a thread that ended meanwhile (a pool thread expiring) is
// counted by its one last wake-up, a thread that started by all of its own.
qint64 wakeUpsBetween(const QHash<QString, qint64> &before, const QHash<QString, qint64> &after)
{
    qint64 total = 0;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        total += it.value() - before.value(it.key(), 0);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        total += after.contains(it.key()) ? 0 : 1;
    return total;
}

void warpPointer(int x, int y)
{
    XWarpPointer(display(), None, DefaultRootWindow(display()), 0, 0, 0, 0, x, y);
    XSync(display(), False);
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

// state.range(0): what the pointer does meanwhile: 0 rests far from the panel (bottom left of
// the screen), 1 rests right below the collapsed notch, 2 keeps moving just below the notch
// without touching it (a person working near the top of the screen).
void BM_IdleCollapsedPanel(benchmark::State &state)
{
    if (!display()) {
        state.SkipWithError("no X display");
        return;
    }
    const int pointer = int(state.range(0));
    warpPointer(pointer == 0 ? 200 : 960, pointer == 0 ? 900 : 120);
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
        const QHash<QString, qint64> switchesBefore = contextSwitchesByThread(pid);
        const qint64 residentBefore = residentKilobytes(pid);
        QElapsedTimer clock;
        clock.start();
        if (pointer == 2) {
            for (int step = 0; clock.elapsed() < seconds * 1000LL; ++step) {
                warpPointer(760 + (step * 7) % 400, 110 + (step % 20));
                QThread::msleep(20);
            }
        } else {
            QThread::sleep(static_cast<unsigned long>(seconds));
        }
        const double used = cpuSeconds(pid) - before;
        const double wall = clock.nsecsElapsed() / 1e9;
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_one_core"] = 100.0 * used / wall;
        state.counters["wakeups_per_s"] = double(wakeUpsBetween(switchesBefore, contextSwitchesByThread(pid))) / wall;
        const qint64 residentAfter = residentKilobytes(pid);
        state.counters["rss_MiB"] = residentAfter / 1024.0;
        // Run with TARNEL_IDLE_SECONDS=600 to see whether idling allocates without bound.
        state.counters["rss_growth_KiB"] = double(residentAfter - residentBefore);
    }
}
BENCHMARK(BM_IdleCollapsedPanel)->ArgName("pointer")->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// Menu-bar mode at rest: state.range(0) 1 with a tray host holding the icon (trayer at the
// bottom right), 0 without one, where the panel stands in for the tray.
void BM_IdleMenuBarMode(benchmark::State &state)
{
    if (!display()) {
        state.SkipWithError("no X display");
        return;
    }
    warpPointer(200, 900);
    writeSettings();
    LinuxSettingsStore(LinuxSettingsStore::defaultPath()).setText(QStringLiteral("tarnel.presentationMode"), QStringLiteral("menuBar"));
    const int seconds = qEnvironmentVariableIsSet("TARNEL_IDLE_SECONDS") ? qEnvironmentVariableIntValue("TARNEL_IDLE_SECONDS") : 60;
    for (auto _ : state) {
        Running tray;
        if (state.range(0) == 1) {
            tray.process.start(QStringLiteral("trayer"), {"--edge", "bottom", "--align", "right", "--widthtype", "request",
                                                          "--height", "32", "--SetDockType", "true"});
            if (!tray.process.waitForStarted(5000)) {
                state.SkipWithError("trayer did not start");
                return;
            }
        }
        Running tarnel;
        tarnel.process.start(tarnelBinary(), {});
        QThread::sleep(5); // start-up work settles and the icon docks
        const qint64 pid = tarnel.process.processId();
        const double before = cpuSeconds(pid);
        const QHash<QString, qint64> switchesBefore = contextSwitchesByThread(pid);
        QElapsedTimer clock;
        clock.start();
        QThread::sleep(static_cast<unsigned long>(seconds));
        const double wall = clock.nsecsElapsed() / 1e9;
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_one_core"] = 100.0 * (cpuSeconds(pid) - before) / wall;
        state.counters["wakeups_per_s"] = double(wakeUpsBetween(switchesBefore, contextSwitchesByThread(pid))) / wall;
    }
}
BENCHMARK(BM_IdleMenuBarMode)->ArgName("trayHost")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// The texts of the stored history, newest first.
QStringList storedTexts()
{
    SqliteHistoryStore store(SqliteHistoryStore::defaultPath());
    QStringList texts;
    for (const StoredHistoryRow &row : store.read().rows) {
        if (const std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(row))
            texts.append(entry->text);
    }
    return texts;
}

Window clipboardOwner()
{
    return XGetSelectionOwner(display(), XInternAtom(display(), "CLIPBOARD", False));
}

// Another program copies a text (xclip, which then owns the clipboard until the next copy).
std::unique_ptr<QProcess> copyWithXclip(const QString &text)
{
    auto xclip = std::make_unique<QProcess>();
    xclip->start(QStringLiteral("xclip"), {"-selection", "clipboard", "-quiet", "-t", "UTF8_STRING"});
    xclip->waitForStarted(5000);
    xclip->write(text.toUtf8());
    xclip->waitForBytesWritten(5000); // no event loop runs here to hand it over later
    xclip->closeWriteChannel();
    return xclip;
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values.at(std::min(values.size() - 1, size_t(fraction * double(values.size()))));
}

// From starting xclip to the copy being in the stored history, with an empty history to start
// from (so reading the store back stays cheap for the bench). Counters: median and p95 in ms.
// Starts Tarnel with default settings and an empty history, its panel shown and settled; false
// (and the state told why) when that fails.
bool startWithEmptyHistory(Running &tarnel, benchmark::State &state, int historyLimit = 1000)
{
    if (!display()) {
        state.SkipWithError("no X display");
        return false;
    }
    QFile::remove(LinuxSettingsStore::defaultPath());
    removeHistory();
    {
        LinuxSettingsStore settings(LinuxSettingsStore::defaultPath());
        settings.setBool(QStringLiteral("tarnel.onboardingComplete"), true);
        settings.setInteger(QStringLiteral("tarnel.historyLimit"), historyLimit);
    }
    tarnel.process.start(tarnelBinary(), {});
    if (!waitForPanel(std::chrono::seconds(10))) {
        state.SkipWithError("the panel did not appear");
        return false;
    }
    QThread::sleep(1);
    return true;
}

void BM_CopyToStored(benchmark::State &state)
{
    Running tarnel;
    if (!startWithEmptyHistory(tarnel, state))
        return;
    std::vector<double> latencies;
    std::vector<std::unique_ptr<QProcess>> copies;
    for (auto _ : state) {
        const QString text = QStringLiteral("copy to stored %1").arg(latencies.size());
        QElapsedTimer clock;
        clock.start();
        copies.push_back(copyWithXclip(text));
        bool stored = false;
        while (!stored && clock.elapsed() < 5000) {
            stored = storedTexts().value(0) == text;
            if (!stored)
                QThread::usleep(500);
        }
        const double ms = clock.nsecsElapsed() / 1e6;
        state.SetIterationTime(ms / 1000);
        if (!stored) {
            state.SkipWithError("a copy never reached the stored history");
            return;
        }
        latencies.push_back(ms);
        QThread::msleep(100); // the next copy comes later, as a person's would
    }
    state.counters["median_ms"] = percentile(latencies, 0.5);
    state.counters["p95_ms"] = percentile(latencies, 0.95);
}
BENCHMARK(BM_CopyToStored)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// Copies at 100 a second into a history that grows from empty to 10,000 entries (its limit):
// counters: the share of copies that reached the stored history (of all, and of the second
// half), and the number of the first copy that did not (0 when none was missed). Run it on an
// otherwise idle machine: a loaded one misses copies whatever the history's length.
void BM_CopiesKeptAt100PerSecond(benchmark::State &state)
{
    constexpr int kCopies = 10000;
    constexpr auto kInterval = std::chrono::milliseconds(10);
    constexpr auto kOwnershipWait = std::chrono::milliseconds(2000);
    for (auto _ : state) {
        Running tarnel;
        if (!startWithEmptyHistory(tarnel, state, kCopies))
            return;
        std::deque<std::unique_ptr<QProcess>> copies;
        QElapsedTimer clock;
        clock.start();
        qint64 previousStart = -kInterval.count();
        for (int i = 0; i < kCopies; ++i) {
            // Behind time (xclip or the machine paused), the pace catches up at twice its rate,
            // not all at once: copies a millisecond apart are no person's.
            while (clock.elapsed() < std::max<qint64>(i * kInterval.count(), previousStart + kInterval.count() / 2))
                QThread::usleep(200);
            previousStart = clock.elapsed();
            const Window before = clipboardOwner();
            copies.push_back(copyWithXclip(QStringLiteral("burst copy %1").arg(i)));
            // The next copy starts once this one owns the clipboard, as a person's programs copy
            // one after the other. xclips merely started 10 ms apart took it out of order, or two
            // within the same millisecond, and a copy replaced that soon was readable by no one
            // (the display keeps no content; a request for it is answered by whichever xclip owns
            // the clipboard by then). So every copy counted is one that could be read.
            QElapsedTimer owning;
            owning.start();
            while (clipboardOwner() == before && owning.elapsed() < kOwnershipWait.count())
                QThread::usleep(200);
            // Each xclip ends once the next copy owns the clipboard; only the latest few are kept.
            while (copies.size() > 8)
                copies.pop_front();
        }
        const double copyingSeconds = double(clock.nsecsElapsed()) / 1e9;
        QThread::sleep(5); // the last copies are written
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        QSet<int> stored;
        for (const QString &text : storedTexts()) {
            if (text.startsWith(QStringLiteral("burst copy ")))
                stored.insert(text.mid(11).toInt());
        }
        int firstMissed = 0;
        int missedInSecondHalf = 0;
        for (int i = 0; i < kCopies; ++i) {
            if (stored.contains(i))
                continue;
            if (firstMissed == 0)
                firstMissed = i + 1;
            missedInSecondHalf += i >= kCopies / 2 ? 1 : 0;
        }
        state.counters["kept_percent"] = 100.0 * double(stored.size()) / kCopies;
        // The copies into the longer half of the history, where a cost growing with it shows.
        state.counters["kept_percent_second_half"] = 100.0 * (1.0 - double(missedInSecondHalf) / (kCopies / 2));
        state.counters["first_missed"] = firstMissed;
        // Below 100 when xclip took the clipboard more slowly than the pace asks.
        state.counters["copies_per_second"] = kCopies / copyingSeconds;
    }
}
BENCHMARK(BM_CopiesKeptAt100PerSecond)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// Processor time of the whole program per copied text at a full history (500 entries, every
// fifth an image), copies at state.range(0) per second, 200 of them; the idle cost over the
// same time is measured first and taken off. Also counts how many copies were stored.
void BM_CpuPerCopyAtFullHistory(benchmark::State &state)
{
    if (!display()) {
        state.SkipWithError("no X display");
        return;
    }
    constexpr int kCopies = 200;
    const auto interval = std::chrono::milliseconds(1000 / state.range(0));
    writeSettings();
    for (auto _ : state) {
        Running tarnel;
        tarnel.process.start(tarnelBinary(), {});
        if (!waitForPanel(std::chrono::seconds(10))) {
            state.SkipWithError("the panel did not appear");
            return;
        }
        QThread::sleep(2);
        const qint64 pid = tarnel.process.processId();
        const double idleStart = cpuSeconds(pid);
        QThread::msleep(static_cast<unsigned long>(kCopies * interval.count()));
        const double idle = cpuSeconds(pid) - idleStart;

        const double before = cpuSeconds(pid);
        std::vector<std::unique_ptr<QProcess>> copies;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kCopies; ++i) {
            while (clock.elapsed() < i * interval.count())
                QThread::usleep(200);
            copies.push_back(copyWithXclip(QStringLiteral("burst copy %1").arg(i)));
        }
        QThread::sleep(3); // the last copies are written
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        const double used = cpuSeconds(pid) - before - idle;
        state.counters["cpu_ms_per_copy"] = 1000.0 * used / kCopies;
        int stored = 0;
        for (const QString &text : storedTexts())
            stored += text.startsWith(QStringLiteral("burst copy ")) ? 1 : 0;
        state.counters["stored"] = stored;
        state.counters["copies"] = kCopies;
    }
}
BENCHMARK(BM_CpuPerCopyAtFullHistory)->ArgName("perSecond")->Arg(10)->Arg(20)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// Processor time of the program's main (interface) thread in seconds: the scheduler's count in
// nanoseconds where the kernel keeps it, since user + system time moves in clock ticks (10 ms),
// coarser than the share of one copy.
double mainThreadCpuSeconds(qint64 pid)
{
    QFile schedstat(QStringLiteral("/proc/%1/task/%1/schedstat").arg(pid));
    if (schedstat.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const double nanoseconds = schedstat.readAll().split(' ').value(0).toDouble(&ok);
        if (ok)
            return nanoseconds / 1e9;
    }
    QFile stat(QStringLiteral("/proc/%1/task/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// Reads the stored history without decoding its records: large texts stay in the database.
class StoredRows
{
public:
    StoredRows()
    {
        if (sqlite3_open_v2(QFile::encodeName(SqliteHistoryStore::defaultPath()).constData(), &m_db,
                            SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
            sqlite3_busy_timeout(m_db, 2000);
    }
    ~StoredRows() { sqlite3_close(m_db); }
    qint64 count() { return number("SELECT count(*) FROM history", {}); }
    bool holds(const QByteArray &marker)
    {
        return number("SELECT count(*) FROM history WHERE length(record) < 65536 AND instr(record, ?1) > 0", marker) > 0;
    }

private:
    qint64 number(const char *sql, const QByteArray &parameter)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return -1;
        if (!parameter.isEmpty())
            sqlite3_bind_blob(statement, 1, parameter.constData(), int(parameter.size()), SQLITE_TRANSIENT);
        const qint64 result = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
        sqlite3_finalize(statement);
        return result;
    }
    sqlite3 *m_db = nullptr;
};

// Another program copies the file's text and owns the clipboard until the next copy; returns
// once it does.
std::unique_ptr<QProcess> copyFileWithXclip(const QString &path)
{
    const Window before = clipboardOwner();
    auto xclip = std::make_unique<QProcess>();
    xclip->start(QStringLiteral("xclip"), {"-selection", "clipboard", "-quiet", "-t", "UTF8_STRING", "-i", path});
    xclip->waitForStarted(5000);
    QElapsedTimer clock;
    clock.start();
    while (clipboardOwner() == before && clock.elapsed() < 10000)
        QThread::usleep(200);
    return xclip;
}

// Three texts of 20 MB copied one right after the other, then a short one: from starting the
// short copy to its row in the stored history (the "small copy waits behind big ones").
// Counters: median short-copy latency, and the interface thread's processor time per copy over
// all four (each 20 MB text fetched, classified, shown and stored).
void BM_ShortCopyAfterThreeLargeTexts(benchmark::State &state)
{
    constexpr qsizetype kLargeBytes = 20 * 1000 * 1000;
    QTemporaryDir folder;
    Running tarnel;
    if (!startWithEmptyHistory(tarnel, state))
        return;
    const qint64 pid = tarnel.process.processId();
    StoredRows stored;
    std::vector<double> latencies;
    std::vector<double> mainThreadMsPerCopy;
    std::vector<double> mainThreadMsPerStoredCopy;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        QStringList paths;
        for (int i = 0; i < 3; ++i) {
            const QString path = folder.filePath(QStringLiteral("large-%1-%2.txt").arg(round).arg(i));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            // Prose with numbers and words the privacy filter looks at, as a long log would hold.
            QByteArray line = QByteArrayLiteral("round %1 text %2: the quick brown fox 1234 5678 jumps; code = 42\n");
            line.replace("%1", QByteArray::number(round)).replace("%2", QByteArray::number(i));
            file.write(line.repeated(int(kLargeBytes / line.size())));
            paths.append(path);
        }
        const QString shortPath = folder.filePath(QStringLiteral("short-%1.txt").arg(round));
        const QByteArray marker = QStringLiteral("short copy %1 after large ones").arg(round).toUtf8();
        {
            QFile file(shortPath);
            file.open(QIODevice::WriteOnly);
            file.write(marker);
        }
        const qint64 rowsBefore = stored.count();
        const double mainBefore = mainThreadCpuSeconds(pid);
        state.ResumeTiming();
        std::vector<std::unique_ptr<QProcess>> copies;
        for (const QString &path : paths)
            copies.push_back(copyFileWithXclip(path));
        QElapsedTimer clock;
        clock.start();
        copies.push_back(copyFileWithXclip(shortPath));
        while (!stored.holds(marker) && clock.elapsed() < 20000)
            QThread::usleep(500);
        const double ms = clock.nsecsElapsed() / 1e6;
        state.SetIterationTime(ms / 1000);
        if (!stored.holds(marker)) {
            state.SkipWithError("the short copy never reached the stored history");
            return;
        }
        latencies.push_back(ms);
        state.PauseTiming();
        // The large ones too, before the processor time is read.
        QElapsedTimer rest;
        rest.start();
        while (stored.count() < rowsBefore + 4 && rest.elapsed() < 60000)
            QThread::msleep(5);
        const double mainMs = 1000.0 * (mainThreadCpuSeconds(pid) - mainBefore);
        mainThreadMsPerCopy.push_back(mainMs / 4);
        // A text replaced on the clipboard before it was read is never fetched: per copy made and
        // per copy kept differ.
        const qint64 kept = stored.count() - rowsBefore;
        mainThreadMsPerStoredCopy.push_back(mainMs / double(std::max<qint64>(kept, 1)));
        state.counters["rows_stored_per_round"] = double(kept);
        state.ResumeTiming();
    }
    state.counters["median_ms"] = percentile(latencies, 0.5);
    state.counters["max_ms"] = percentile(latencies, 1.0);
    state.counters["main_thread_ms_per_copy"] = percentile(mainThreadMsPerCopy, 0.5);
    state.counters["main_thread_ms_per_stored_copy"] = percentile(mainThreadMsPerStoredCopy, 0.5);
}
BENCHMARK(BM_ShortCopyAfterThreeLargeTexts)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// One copy of the given size at a time, each left to finish: stored, its "Skopírované" notice
// shown and gone. Counter: the interface thread's processor time per copy, everything the copy
// costs it (taking the entry, the lists, the notice's frames). The same figure at 16 bytes and at
// 20 MB means no step on that thread grows with the copy.
void BM_MainThreadPerCopyBySize(benchmark::State &state)
{
    // The notice stays two seconds and slides in and out; a little more lets the last frame pass.
    constexpr auto kNoticeOver = std::chrono::milliseconds(2000 + 2 * 280 + 500);
    const qsizetype bytes = state.range(0);
    QTemporaryDir folder;
    Running tarnel;
    if (!startWithEmptyHistory(tarnel, state))
        return;
    const qint64 pid = tarnel.process.processId();
    StoredRows stored;
    std::vector<double> mainThreadMs;
    int round = 0;
    for (auto _ : state) {
        ++round;
        const QString path = folder.filePath(QStringLiteral("copy-%1.txt").arg(round));
        {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            QByteArray text = QStringLiteral("copy %1 of the run ").arg(round).toUtf8();
            const QByteArray line = QByteArrayLiteral("the quick brown fox 1234 5678 jumps; code = 42\n");
            while (text.size() + line.size() <= bytes)
                text += line;
            file.write(text.left(std::max<qsizetype>(bytes, 16)));
        }
        const qint64 rowsBefore = stored.count();
        const double mainBefore = mainThreadCpuSeconds(pid);
        QElapsedTimer clock;
        clock.start();
        const std::unique_ptr<QProcess> copy = copyFileWithXclip(path);
        while (stored.count() < rowsBefore + 1 && clock.elapsed() < 60000)
            QThread::msleep(2);
        if (stored.count() < rowsBefore + 1) {
            state.SkipWithError("the copy never reached the stored history");
            return;
        }
        QThread::msleep(kNoticeOver.count());
        const double ms = 1000.0 * (mainThreadCpuSeconds(pid) - mainBefore);
        state.SetIterationTime(ms / 1000);
        mainThreadMs.push_back(ms);
    }
    state.counters["main_thread_ms_per_copy"] = percentile(mainThreadMs, 0.5);
    state.counters["max_ms"] = percentile(mainThreadMs, 1.0);
}
BENCHMARK(BM_MainThreadPerCopyBySize)
    ->ArgName("bytes")
    ->Arg(16)
    ->Arg(20 * 1000 * 1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// A history of very large texts, as years of copied logs and dumps make it: state.range(0)
// entries of state.range(1) KB each, every text different. Written in batches, so that the
// bench itself never holds the whole of it.
void writeLargeHistory(int count, int kilobytes)
{
    removeHistory();
    SqliteHistoryStore history(SqliteHistoryStore::defaultPath());
    history.read();
    constexpr int kBatch = 20;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int first = 0; first < count; first += kBatch) {
        QList<ClipboardEntry> entries;
        for (int i = first; i < std::min(count, first + kBatch); ++i) {
            ClipboardEntry entry;
            entry.id = ClipboardEntry::newID();
            entry.copiedAt = now.addSecs(-i * 60);
            entry.sourceApp = QStringLiteral("Terminal");
            entry.text = QStringLiteral("Log %1 ").arg(i) + QString(kilobytes * 1000, QLatin1Char(char('A' + i % 26)));
            entries.append(entry);
        }
        QList<StoredHistoryRow> rows = HistoryRows::rowsFor(entries);
        for (qsizetype r = 0; r < rows.size(); ++r)
            rows[r].position = qint64(count - first - r) * HistoryRows::kPositionGap;
        history.apply(HistoryChange{rows, {}, {}});
    }
    LinuxSettingsStore settings(LinuxSettingsStore::defaultPath());
    settings.remove(QStringLiteral("tarnel.history"));
    settings.setInteger(QStringLiteral("tarnel.historyLimit"), count + 100);
    settings.setBool(QStringLiteral("tarnel.onboardingComplete"), true);
}

qint64 storedRowCount()
{
    sqlite3 *db = nullptr;
    qint64 count = -1;
    if (sqlite3_open_v2(QFile::encodeName(SqliteHistoryStore::defaultPath()).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr)
        == SQLITE_OK) {
        sqlite3_busy_timeout(db, 1000);
        sqlite3_stmt *query = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM history", -1, &query, nullptr) == SQLITE_OK
            && sqlite3_step(query) == SQLITE_ROW)
            count = sqlite3_column_int64(query, 0);
        sqlite3_finalize(query);
    }
    sqlite3_close(db);
    return count;
}

qint64 peakResidentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Starting over a large history and copying at once. Counters: the history's size on disk, the
// peak resident memory and the memory once the start settled (MB), the time from the start to the panel, from the copy (made as soon
// as the panel shows) to its row on disk, and from the quit request to the end (ms).
void BM_StartWithALargeHistory(benchmark::State &state)
{
    if (!display()) {
        state.SkipWithError("no X display");
        return;
    }
    const int count = int(state.range(0));
    writeLargeHistory(count, int(state.range(1)));
    const qint64 rowsBefore = storedRowCount();
    state.counters["history_MB"] = double(QFileInfo(SqliteHistoryStore::defaultPath()).size()) / 1e6;
    for (auto _ : state) {
        Running tarnel;
        QElapsedTimer clock;
        clock.start();
        tarnel.process.start(tarnelBinary(), {});
        if (!waitForPanel(std::chrono::minutes(5))) {
            state.SkipWithError("the panel did not appear");
            return;
        }
        const double toPanel = double(clock.elapsed());
        clock.restart();
        const std::unique_ptr<QProcess> copy = copyWithXclip(QStringLiteral("copied at start"));
        while (storedRowCount() <= rowsBefore && clock.elapsed() < 300'000)
            QThread::msleep(20);
        const double toWrite = double(clock.elapsed());
        // Whatever the start still does after the write (folding, thumbnails) counts to the peak.
        QThread::sleep(5);
        const qint64 peak = peakResidentKilobytes(tarnel.process.processId());
        state.counters["settled_rss_MB"] = double(residentKilobytes(tarnel.process.processId())) / 1024;
        clock.restart();
        tarnel.process.terminate();
        tarnel.process.waitForFinished(300'000);
        const double toQuit = double(clock.elapsed());
        state.SetIterationTime((toPanel + toWrite) / 1000);
        state.counters["peak_rss_MB"] = double(peak) / 1024;
        state.counters["to_panel_ms"] = toPanel;
        state.counters["copy_to_disk_ms"] = toWrite;
        state.counters["quit_ms"] = toQuit;
    }
}
BENCHMARK(BM_StartWithALargeHistory)
    ->ArgNames({"entries", "KB"})
    ->Args({500, 1000})
    ->Args({2000, 1000})
    ->Args({500, 4000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

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
