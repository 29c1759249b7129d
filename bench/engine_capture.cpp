// Capture road of the clipboard model at a full history: 500 entries (limit 500), 100 of them
// pinned images kept in the image store, settings in a real settings file.
//   build/bench/bench_engine_capture
// Reports main-thread time per text copy, a poll step that finds nothing copied, a cold model
// start from the stored files, and one trim with 500 Paste Stack ids. The program's memory is
// measured on the running program, by shell_startup.

#include "engine/ClipboardModel.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakeWorkspace.h"
#include "platform/x11/LinuxSettingsStore.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kHistoryLimit = 500;
constexpr int kImageEntries = 100;

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

// A stored state at the limit: 400 texts and 100 pinned images in the image store.
struct Scene {
    QTemporaryDir folder;
    QString imageFolder = folder.filePath(QStringLiteral("Clipboard Images"));
    std::unique_ptr<LinuxSettingsStore> settings;
    FakePasteboard pasteboard;
    FakeWorkspace workspace;

    Scene()
    {
        settings = std::make_unique<LinuxSettingsStore>(folder.filePath(QStringLiteral("Tarnel/defaults.json")));
        workspace.setFrontmostApplication(RunningApplication{1, 2, QStringLiteral("Editor")});
        QDir().mkpath(imageFolder);
        const QByteArray png = screenshotPng();
        QList<ClipboardEntry> entries;
        for (int i = 0; i < kHistoryLimit; ++i) {
            ClipboardEntry entry;
            entry.id = ClipboardEntry::newID();
            entry.copiedAt = QDateTime::currentDateTimeUtc().addSecs(-i);
            entry.sourceApp = QStringLiteral("Editor");
            if (i % 5 == 0) {
                entry.kind = ClipboardKind::Image;
                entry.isPinned = true;
                const QString path = QDir(imageFolder).filePath(entry.id + QStringLiteral(".image"));
                QFile file(path);
                file.open(QIODevice::WriteOnly);
                file.write(png);
                entry.imageFilePath = path;
            } else {
                entry.kind = ClipboardKind::Text;
                entry.text = QStringLiteral("Copied line number %1 with a little more text to look real").arg(i);
            }
            entries.append(entry);
        }
        settings->setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(entries));
        settings->setInteger(ClipboardModel::historyLimitKey, kHistoryLimit);
    }

    std::unique_ptr<ClipboardModel> makeModel()
    {
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = settings.get();
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
        ClipboardModelServices services;
        services.pasteboard = &scene.pasteboard;
        services.settings = &settings;
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
