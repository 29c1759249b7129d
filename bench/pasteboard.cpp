// Clipboard road: how soon another program's copy is readable (the poll step's own cost is
// in engine_capture), and what keeping a 99.5 MB PNG copy costs, from the copy to its entry in
// the history: time, and this process's resident memory before, at its peak and after.
// Needs an X display; run it on a private one:
//   xvfb-run -a build/bench/bench_pasteboard
// or tests/support/with-x11.sh build/bench/bench_pasteboard

#include "BenchMain.h"
#include "core/HeapRelease.h"
#include "engine/ClipboardModel.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"
#include "platform/x11/X11Pasteboard.h"
#include "support/ModelServices.h"
#include "support/TestImages.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray screenshotPng()
{
    // Noise compresses badly, so the PNG is as large as a busy screenshot's.
    QImage image(1920, 1080, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = (x / 8 + y / 8) % 3 == 0 ? random.generate() | 0xff000000u : qRgb(30, 30, 40);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// From starting xclip to the copy's content being readable by a poll step; the counter
// fromOwnerChangeMs leaves out xclip's own start-up.
void copyToReadable(benchmark::State &state, const QByteArray &data, const QString &target)
{
    QTemporaryDir dir;
    X11Pasteboard pasteboard;
    QElapsedTimer sinceOwnerChange;
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, &pasteboard,
                     [&](QClipboard::Mode mode) {
                         if (mode == QClipboard::Clipboard)
                             sinceOwnerChange.start();
                     });
    double fromOwnerChangeMs = 0;
    int round = 0;
    for (auto _ : state) {
        const QString path = dir.filePath(QString::number(++round));
        {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(data);
            file.write(QByteArray::number(round)); // each copy differs
        }
        const qint64 before = pasteboard.changeCount();
        QProcess xclip;
        QElapsedTimer timer;
        timer.start();
        xclip.start("xclip", {"-quiet", "-selection", "clipboard", "-t", target, "-i", path});
        while (pasteboard.changeCount() == before && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        fromOwnerChangeMs += double(sinceOwnerChange.nsecsElapsed()) / 1e6;
        if (pasteboard.changeCount() == before)
            state.SkipWithError("the copy never became readable");
        xclip.kill();
        xclip.waitForFinished();
        // Let the owner's exit be seen before the next round starts.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 50 || pasteboard.isFetching())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    state.counters["fromOwnerChangeMs"] = benchmark::Counter(fromOwnerChangeMs / double(state.iterations()));
}

void BM_XclipTextCopyToReadable(benchmark::State &state)
{
    copyToReadable(state, QByteArray("Ahoj, svet ✓ ").repeated(40), "UTF8_STRING");
}
BENCHMARK(BM_XclipTextCopyToReadable)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_XclipScreenshotCopyToReadable(benchmark::State &state)
{
    static const QByteArray png = screenshotPng();
    state.counters["bytes"] = double(png.size());
    copyToReadable(state, png, "image/png");
}
BENCHMARK(BM_XclipScreenshotCopyToReadable)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

// A line of /proc/self/status in megabytes (VmRSS now, VmHWM the peak since the last reset).
double statusMegabytes(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return double(line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong()) / 1024.0;
    }
    return 0;
}

// The peak that VmHWM reports starts again from what the process holds now.
void resetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

// An image editor copies a 6000 × 5527 picture as an uncompressed PNG of 99.5 MB: from the copy
// to the re-encoded image in the history. Counters: the memory before, at the peak and after
// (in MB), and the kept bytes.
void BM_XclipPngOf99MBKept(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.png"));
    if (!writeUncompressedPng(path, 6000, 5527)) {
        state.SkipWithError("the PNG could not be written");
        return;
    }
    X11Pasteboard pasteboard;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakeKeySender keys;
    ClipboardModel model(testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, dir));
    model.startMonitoring();
    double before = 0;
    double peak = 0;
    double after = 0;
    double keptBytes = 0;
    for (auto _ : state) {
        const qsizetype entries = model.entries().size();
        HeapRelease::giveBackFreeMemory();
        before = statusMegabytes("VmRSS");
        resetPeakMemory();
        QProcess xclip;
        QElapsedTimer timer;
        timer.start();
        xclip.start("xclip", {"-quiet", "-selection", "clipboard", "-t", "image/png", "-i", path});
        while (model.entries().size() == entries && timer.elapsed() < 120'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        peak = statusMegabytes("VmHWM");
        if (model.entries().size() == entries) {
            state.SkipWithError("the copy was not kept");
            break;
        }
        keptBytes = double(model.imageData(model.entries().first()).value_or(QByteArray()).size());
        // What the clipboard's snapshot and the history hold while the copy is still on the clipboard.
        HeapRelease::giveBackFreeMemory();
        after = statusMegabytes("VmRSS");
        xclip.kill();
        xclip.waitForFinished();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200 || pasteboard.isFetching())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    state.counters["beforeMB"] = before;
    state.counters["peakMB"] = peak;
    state.counters["afterMB"] = after;
    state.counters["keptBytes"] = keptBytes;
}
BENCHMARK(BM_XclipPngOf99MBKept)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    // The heap set up as the program sets it up at start.
    HeapRelease::returnLargeBlocksPromptly();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
