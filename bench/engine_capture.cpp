// Capture road of the clipboard model at a full history: 500 entries (limit 500), 100 of them
// pinned images kept in the image store, the history in a real history database and the
// settings in a real settings file.
//   build/bench/bench_engine_capture
// Reports main-thread time per text copy (also with three 30 MB texts in the history, with the
// longest stall), the wall time until a copy is committed, the bytes written per copy, a poll
// step that finds nothing copied, a cold model start from the stored files, and one trim with
// 500 Paste Stack ids; the main-thread time of a 20 MB text copy, and how soon a short copy made
// right after three 20 MB texts is in the history. Memory per kept 20 MB text:
// BM_PeakMemoryWithLargeTexts; a search keystroke over three kept 20 MB texts:
// BM_SearchKeystrokeWithLargeTexts; copy to committed row at 500 and 5,000 entries of text:
// BM_CopyStoredAtHistorySize; a search keystroke over 5,000 texts beside its floor:
// BM_SearchKeystrokeAtHistorySize (the share of copies kept at 100 a second up to 10,000 entries is
// BM_CopiesKeptAt100PerSecond in bench_shell_startup, which needs a display).

#include "BenchMain.h"
#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakeWorkspace.h"
#include "engine/HistoryRows.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/SqliteHistoryStore.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int kHistoryLimit = 500;
constexpr int kImageEntries = 100;
constexpr int kLargeTextBytes = 30 * 1000 * 1000;

// Bytes this process handed to write() so far (the writer thread included).
qint64 bytesWritten()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return 0;
}

// This process's resident memory now, after the allocator handed back what it holds free.
qint64 residentBytes()
{
    ::malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

// A screenshot-sized PNG with some texture, so the file is of a realistic size (~0.5 MB).
QByteArray screenshotPng()
{
    QImage image(1280, 800, QImage::Format_RGB32);
    quint32 state = 99;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = qRgb(x / 5, y / 4, (state >> 24) & 0x1f);
        }
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

// A stored state at the limit: 400 texts and 100 pinned images in the image store; with
// largeTexts, the three newest texts are 30 MB each.
struct Scene {
    QTemporaryDir folder;
    QString imageFolder = folder.filePath(QStringLiteral("Clipboard Images"));
    QString historyPath = folder.filePath(QStringLiteral("Tarnel/history.sqlite3"));
    std::unique_ptr<LinuxSettingsStore> settings;
    std::unique_ptr<SqliteHistoryStore> history;
    FakePasteboard pasteboard;
    FakeWorkspace workspace;

    explicit Scene(int largeTexts = 0, int historySize = kHistoryLimit, int imageEvery = 5)
    {
        settings = std::make_unique<LinuxSettingsStore>(folder.filePath(QStringLiteral("Tarnel/defaults.json")));
        workspace.setFrontmostApplication(RunningApplication{1, 2, QStringLiteral("Editor")});
        QDir().mkpath(imageFolder);
        const QByteArray png = screenshotPng();
        QList<ClipboardEntry> entries;
        for (int i = 0; i < historySize; ++i) {
            ClipboardEntry entry;
            entry.id = ClipboardEntry::newID();
            entry.copiedAt = QDateTime::currentDateTimeUtc().addSecs(-i);
            entry.sourceApp = QStringLiteral("Editor");
            if (imageEvery > 0 && i % imageEvery == 0) {
                entry.kind = ClipboardKind::Image;
                entry.isPinned = true;
                const QString path = QDir(imageFolder).filePath(entry.id + QStringLiteral(".image"));
                QFile file(path);
                file.open(QIODevice::WriteOnly);
                file.write(png);
                entry.imageFilePath = path;
            } else if (largeTexts > 0) {
                --largeTexts;
                entry.kind = ClipboardKind::Text;
                entry.text = QString(kLargeTextBytes, QChar(u'a' + i % 26));
            } else {
                entry.kind = ClipboardKind::Text;
                entry.text = QStringLiteral("Copied line number %1 with a little more text to look real").arg(i);
            }
            entries.append(entry);
        }
        SqliteHistoryStore seed(historyPath);
        seed.read();
        seed.apply(HistoryChange{HistoryRows::rowsFor(entries), {}, {}});
        settings->setInteger(ClipboardModel::historyLimitKey, historySize);
        history = std::make_unique<SqliteHistoryStore>(historyPath);
    }

    std::unique_ptr<ClipboardModel> makeModel()
    {
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = settings.get();
        services.history = history.get();
        services.workspace = &workspace;
        services.imageFolder = imageFolder;
        services.backupFolder = folder.filePath(QStringLiteral("backup"));
        return std::make_unique<ClipboardModel>(std::move(services));
    }
};

// One foreign text copy, from the poll step that sees it to the written history.
void BM_TextCopyMainThread(benchmark::State &state)
{
    Scene scene;
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    qint64 n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        scene.pasteboard.copyText(QStringLiteral("a new copy %1").arg(++n));
        state.ResumeTiming();
        model->readClipboardIfChanged();
    }
    state.counters["entries"] = double(model->entries().size());
}
BENCHMARK(BM_TextCopyMainThread)->Unit(benchmark::kMillisecond)->Iterations(300);

// The same with three 30 MB texts in the history: the copy must not pay for them. Counter:
// the longest single copy (a stall of the interface).
void BM_TextCopyMainThreadWithLargeTexts(benchmark::State &state)
{
    Scene scene(3);
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    model->flushHistory();
    qint64 n = 0;
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        scene.pasteboard.copyText(QStringLiteral("a new copy %1").arg(++n));
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        model->readClipboardIfChanged();
        longest = std::max(longest, clock.nsecsElapsed() / 1e6);
    }
    state.counters["longest_ms"] = longest;
    state.counters["entries"] = double(model->entries().size());
}
BENCHMARK(BM_TextCopyMainThreadWithLargeTexts)->Unit(benchmark::kMillisecond)->Iterations(300);

QString largeText(qint64 n)
{
    QString line = QStringLiteral("copy %1: the quick brown fox 1234 5678 jumps; code = 42\n").arg(n);
    return line.repeated(20 * 1000 * 1000 / line.size());
}

// One foreign 20 MB text copy: the poll step's own time on the main thread. Classification
// (privacy, kind, search folds) is waited for outside the timing.
void BM_LargeTextCopyMainThread(benchmark::State &state)
{
    Scene scene;
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    qint64 n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        scene.pasteboard.copyText(largeText(++n));
        state.ResumeTiming();
        model->readClipboardIfChanged();
        state.PauseTiming();
        if (!QTest::qWaitFor([&] { return model->pendingCaptureCount() == 0; }, 60000))
            state.SkipWithError("the copy was never classified");
        state.ResumeTiming();
    }
    state.counters["entries"] = double(model->entries().size());
}
BENCHMARK(BM_LargeTextCopyMainThread)->Unit(benchmark::kMillisecond)->Iterations(5);

// Three 20 MB texts copied, then a short one: from the first poll step to the short copy in
// the model's history (events processed as they come).
void BM_ShortCopyAfterThreeLargeTexts(benchmark::State &state)
{
    Scene scene;
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    qint64 n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QStringList texts{largeText(n + 1), largeText(n + 2), largeText(n + 3)};
        n += 4;
        const QString marker = QStringLiteral("short %1").arg(n);
        state.ResumeTiming();
        for (const QString &text : texts) {
            scene.pasteboard.copyText(text);
            model->readClipboardIfChanged();
        }
        scene.pasteboard.copyText(marker);
        model->readClipboardIfChanged();
        const bool shown = QTest::qWaitFor(
            [&] { return !model->entries().isEmpty() && model->entries().constFirst().text == marker; }, 60000);
        state.PauseTiming();
        if (!shown || !QTest::qWaitFor([&] { return model->pendingCaptureCount() == 0; }, 60000))
            state.SkipWithError("a copy never reached the history");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShortCopyAfterThreeLargeTexts)->Unit(benchmark::kMillisecond)->Iterations(3);

// From the copy to its row committed on disk, one copy at a time, into a history of texts at
// its limit of state.range(0) entries: the cost of a copy must not grow with the history.
// Counters: median and p95 in ms.
void BM_CopyStoredAtHistorySize(benchmark::State &state)
{
    const int size = int(state.range(0));
    Scene scene(0, size, 0);
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    model->flushHistory();
    std::vector<double> latencies;
    qint64 n = 0;
    for (auto _ : state) {
        scene.pasteboard.copyText(QStringLiteral("a new copy %1").arg(++n));
        QElapsedTimer clock;
        clock.start();
        model->readClipboardIfChanged();
        model->flushHistory();
        latencies.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies.at(latencies.size() / 2);
    state.counters["p95_ms"] = latencies.at(latencies.size() * 95 / 100);
    state.counters["entries"] = double(model->entries().size());
}
BENCHMARK(BM_CopyStoredAtHistorySize)->ArgName("entries")->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(200);

// From the copy to its row committed on disk (synced), one copy at a time, at 500 entries;
// also the bytes written per copy (WAL and all).
void BM_CopyCommittedOnDisk(benchmark::State &state)
{
    Scene scene(state.range(0));
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    model->flushHistory();
    qint64 n = 0;
    const qint64 writtenBefore = bytesWritten();
    for (auto _ : state) {
        scene.pasteboard.copyText(QStringLiteral("a new copy %1").arg(++n));
        model->readClipboardIfChanged();
        model->flushHistory();
    }
    state.counters["bytes_per_copy"] = double(bytesWritten() - writtenBefore) / double(n);
}
BENCHMARK(BM_CopyCommittedOnDisk)->ArgName("largeTexts")->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(100);

// Resident memory per kept 20 MB multi-line text: a model at a full history of short texts
// takes three 20 MB texts, and the growth of this process's resident memory from before the
// copies to after them (each classified, its search folds made, the history written) is
// divided by three. A 20 MB text takes 40 MB as a Qt string, and that is counted too. The
// texts are made after the first reading and only the model and the clipboard keep them.
void BM_PeakMemoryWithLargeTexts(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString historyPath = folder.filePath(QStringLiteral("history.sqlite3"));
    {
        QList<ClipboardEntry> entries;
        for (int i = 0; i < kHistoryLimit; ++i) {
            ClipboardEntry entry;
            entry.id = ClipboardEntry::newID();
            entry.copiedAt = QDateTime::currentDateTimeUtc().addSecs(-i);
            entry.text = QStringLiteral("line %1").arg(i);
            entries.append(entry);
        }
        SqliteHistoryStore seed(historyPath);
        seed.read();
        if (!seed.apply(HistoryChange{HistoryRows::rowsFor(entries), {}, {}}).ok) {
            state.SkipWithError("the history could not be prepared");
            return;
        }
    }
    constexpr int kTexts = 3;
    for (auto _ : state) {
        LinuxSettingsStore settings(folder.filePath(QStringLiteral("defaults.json")));
        settings.setInteger(ClipboardModel::historyLimitKey, kHistoryLimit);
        SqliteHistoryStore history(historyPath);
        FakePasteboard pasteboard;
        FakeWorkspace workspace;
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = &settings;
        services.history = &history;
        services.workspace = &workspace;
        services.imageFolder = folder.filePath(QStringLiteral("Clipboard Images"));
        services.backupFolder = folder.path();
        ClipboardModel model(std::move(services));
        const auto settled = [&model] {
            return QTest::qWaitFor([&] { return model.pendingCaptureCount() == 0 && model.searchFoldsInWork() == 0; },
                                   120000)
                && model.flushHistory();
        };
        if (!settled()) {
            state.SkipWithError("the model did not settle");
            return;
        }
        const qint64 before = residentBytes();
        for (int i = 0; i < kTexts; ++i) {
            pasteboard.copyText(largeText(i));
            model.readClipboardIfChanged();
            if (!settled()) {
                state.SkipWithError("a copy was never kept");
                return;
            }
        }
        const qint64 after = residentBytes();
        state.counters["entries"] = double(model.entries().size());
        state.counters["grown_MiB"] = double(after - before) / (1024.0 * 1024.0);
        state.counters["per_text_MB"] = double(after - before) / kTexts / 1e6;
    }
}
BENCHMARK(BM_PeakMemoryWithLargeTexts)->Unit(benchmark::kMillisecond)->Iterations(1);

// One search keystroke over a history of 500 short texts and three kept 20 MB texts, which are
// folded as they are searched; the term is deep inside the last of them. Main-thread time.
void BM_SearchKeystrokeWithLargeTexts(benchmark::State &state)
{
    Scene scene;
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    for (int i = 0; i < 3; ++i) {
        QString text = largeText(i);
        if (i == 2)
            text.replace(text.size() / 2, 11, QStringLiteral("Deep Needle"));
        scene.pasteboard.copyText(text);
        model->readClipboardIfChanged();
    }
    if (!QTest::qWaitFor([&] { return model->pendingCaptureCount() == 0 && model->searchFoldsInWork() == 0; }, 120000)) {
        state.SkipWithError("the copies were never kept");
        return;
    }
    model->setSelectedTab(ClipboardPanelTab::History);
    qsizetype found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        model->setSearchText(QString());
        state.ResumeTiming();
        model->setSearchText(QStringLiteral("deep needle"));
        found = model->quickAccessEntries().size();
    }
    state.counters["found"] = double(found);
    state.counters["first_text_chars"] = double(model->entries().first().text.size());
    state.counters["entries"] = double(model->entries().size());
}
BENCHMARK(BM_SearchKeystrokeWithLargeTexts)->Unit(benchmark::kMillisecond)->Iterations(20);

// One search keystroke that finds nothing over 5,000 short texts, with the settings in their
// file as the program keeps them (range 1) and, as its floor, with the language answered from
// memory (range 0): every entry is compared down to its kind's label, which is in the saved
// language, so a search that asked the settings file per entry showed here as the gap between
// the two. Main-thread time.
void BM_SearchKeystrokeAtHistorySize(benchmark::State &state)
{
    constexpr int kEntries = 5000;
    Scene scene(0, kEntries, 0);
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    if (state.range(0) == 0)
        L10n::setLanguageReader([] { return std::optional<QString>(QStringLiteral("sk")); });
    model->setSelectedTab(ClipboardPanelTab::History);
    if (!QTest::qWaitFor([&] { return model->searchFoldsInWork() == 0; }, 120000)) {
        state.SkipWithError("the search folds were never made");
        return;
    }
    model->setSearchText(QStringLiteral("e")); // folds what was not folded ahead
    benchmark::DoNotOptimize(model->quickAccessEntries());
    qsizetype found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        model->setSearchText(QString());
        benchmark::DoNotOptimize(model->quickAccessEntries());
        state.ResumeTiming();
        model->setSearchText(QStringLiteral("zebra crossing"));
        found = model->quickAccessEntries().size();
    }
    state.SetLabel(state.range(0) ? "settings file" : "floor: language in memory");
    state.counters["entries"] = double(model->entries().size());
    state.counters["found"] = double(found);
}
BENCHMARK(BM_SearchKeystrokeAtHistorySize)->ArgName("settingsFile")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(50);

// The poll step when nothing was copied: the expiry and limit pass over the full history and
// one look at the change count. It runs for the expiry timer and on each reported change.
void BM_PollStepNothingCopied(benchmark::State &state)
{
    Scene scene;
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    for (auto _ : state)
        model->readClipboardIfChanged();
    state.counters["entries"] = double(model->entries().size());
}
BENCHMARK(BM_PollStepNothingCopied)->Unit(benchmark::kMicrosecond);

// Creating the model as the program starts: reading and parsing the settings file, the
// history, the lists and the trim.
void BM_ModelStart(benchmark::State &state)
{
    Scene scene;
    const QString path = scene.folder.filePath(QStringLiteral("Tarnel/defaults.json"));
    for (auto _ : state) {
        LinuxSettingsStore settings(path);
        SqliteHistoryStore history(scene.historyPath);
        ClipboardModelServices services;
        services.pasteboard = &scene.pasteboard;
        services.settings = &settings;
        services.history = &history;
        services.workspace = &scene.workspace;
        services.imageFolder = scene.imageFolder;
        services.backupFolder = scene.folder.filePath(QStringLiteral("backup"));
        ClipboardModel model(std::move(services));
        benchmark::DoNotOptimize(model.entries().size());
    }
}
BENCHMARK(BM_ModelStart)->Unit(benchmark::kMillisecond);

// The trim of a poll step with every entry in the Paste Stack: only reads.
void BM_TrimWithFullPasteStack(benchmark::State &state)
{
    Scene scene;
    std::unique_ptr<ClipboardModel> model = scene.makeModel();
    QStringList stack;
    for (const ClipboardEntry &entry : model->entries())
        stack.append(entry.id);
    model->setPasteStackEntryIDs(stack);
    for (auto _ : state)
        model->trimHistory();
    state.counters["entries"] = double(model->entries().size());
    state.counters["stack"] = double(model->pasteStackEntryIDs().size());
}
BENCHMARK(BM_TrimWithFullPasteStack)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
