// Clipboard road: how soon another program's copy is readable (the poll step's own cost is
// in engine_capture), and what keeping a 99.5 MB PNG copy costs, from the copy to its entry in
// the history: time, and this process's resident memory before, at its peak and after. A camera
// photo copied as a PNG of some 93 MiB (8688 × 5792), whose PNG re-encoding cannot fit the
// history's target, from the copy to its entry, against the floor of that road: its transfer,
// one decode, one JPEG encode and one write of the JPEG (BM_XclipPhotoPngKeptAgainstFloor). A kept
// camera photo pasted as PNG, and the longest the interface stood still meanwhile
// (BM_XclipPhotoPngPasteLongestStall).
// Needs an X display; run it on a private one:
//   xvfb-run -a build/bench/bench_pasteboard
// or tests/support/with-x11.sh build/bench/bench_pasteboard

#include "BenchMain.h"
#include "core/ClipboardImageStore.h"
#include "core/HeapRelease.h"
#include "core/ImageSizeRule.h"
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
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>

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

// A camera photo saved as PNG: a smooth gradient under grain of its own in each channel, which
// sets the file's size as a sensor's noise does (PNG keeps it, JPEG smooths it away).
bool writePhotoPng(const QString &path, QSize size, int grainLevels)
{
    QImage photo(size, QImage::Format_RGB32);
    quint32 grain = 12345;
    const int width = size.width();
    const int height = size.height();
    const auto levels = quint32(grainLevels);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            line[x] = qRgb(std::min(255, x * 200 / width + int((grain >> 8) % levels)),
                           std::min(255, y * 200 / height + int((grain >> 16) % levels)),
                           std::min(255, 40 + (x + y) * 100 / (width + height) + int((grain >> 24) % levels)));
        }
    }
    return photo.save(path, "PNG");
}

// The photo's PNG as the user's camera road makes it: 8688 × 5792, about 93 MiB, whose JPEG at
// the rule's quality is a few megabytes.
constexpr QSize kPhotoSize(8688, 5792);
constexpr int kPhotoGrainLevels = 24;

// From the copy of the photo's PNG to its entry in the history (the user's road), against the
// floor: the transfer (from the copy until the clipboard has its bytes, in the same round), one
// decode, one JPEG encode at the rule's quality and one write of that JPEG into an image store.
// Counters: the PNG's size, the parts of the floor, the floor and the ratio of the road to it.
void BM_XclipPhotoPngKeptAgainstFloor(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.png"));
    if (!writePhotoPng(path, kPhotoSize, kPhotoGrainLevels)) {
        state.SkipWithError("the PNG could not be written");
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("the PNG could not be read");
        return;
    }
    const QByteArray png = file.readAll();
    if (!ImageSizeRule::needsReencoding(png)) {
        state.SkipWithError("the PNG is not between the target and the ceiling");
        return;
    }
    X11Pasteboard pasteboard;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakeKeySender keys;
    ClipboardModel model(testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, dir));
    model.startMonitoring();
    ClipboardImageStore store(dir.filePath(QStringLiteral("floor")));
    double roadMs = 0;
    double transferMs = 0;
    double decodeMs = 0;
    double jpegMs = 0;
    double writeMs = 0;
    for (auto _ : state) {
        const qsizetype entries = model.entries().size();
        const qint64 count = pasteboard.changeCount();
        QElapsedTimer timer;
        std::optional<qint64> transferred;
        QObject listener;
        QObject::connect(&pasteboard, &Pasteboard::changeCountChanged, &listener, [&] {
            if (!transferred && !pasteboard.content().images.isEmpty())
                transferred = timer.nsecsElapsed();
        });
        QProcess xclip;
        timer.start();
        xclip.start("xclip", {"-quiet", "-selection", "clipboard", "-t", "image/png", "-i", path});
        while (model.entries().size() == entries && timer.elapsed() < 120'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 road = timer.nsecsElapsed();
        state.SetIterationTime(double(road) / 1e9);
        if (model.entries().size() == entries || !transferred || pasteboard.changeCount() == count) {
            state.SkipWithError("the copy was not kept");
            break;
        }
        roadMs += double(road) / 1e6;
        transferMs += double(*transferred) / 1e6;

        QElapsedTimer part;
        part.start();
        const QImage picture = ImageSizeRule::decoded(png);
        decodeMs += double(part.nsecsElapsed()) / 1e6;
        part.start();
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPEG", ImageSizeRule::kJpegQuality);
        jpegMs += double(part.nsecsElapsed()) / 1e6;
        part.start();
        if (!store.save(jpeg).ok())
            state.SkipWithError("the JPEG could not be written");
        writeMs += double(part.nsecsElapsed()) / 1e6;

        xclip.kill();
        xclip.waitForFinished();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200 || pasteboard.isFetching())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const double rounds = double(std::max<qint64>(1, state.iterations()));
    const double floorMs = (transferMs + decodeMs + jpegMs + writeMs) / rounds;
    state.counters["pngBytes"] = double(png.size());
    state.counters["transferMs"] = transferMs / rounds;
    state.counters["decodeMs"] = decodeMs / rounds;
    state.counters["jpegMs"] = jpegMs / rounds;
    state.counters["writeMs"] = writeMs / rounds;
    state.counters["floorMs"] = floorMs;
    state.counters["roadMs"] = roadMs / rounds;
    state.counters["roadToFloor"] = floorMs > 0 ? roadMs / rounds / floorMs : 0;
}
BENCHMARK(BM_XclipPhotoPngKeptAgainstFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// A kept 36 MP camera photo pasted as PNG (xclip asks for image/png): from the request to the
// whole PNG in xclip's hands, and the longest the main thread went without turning meanwhile
// (longestStallMs, the figure the interface is judged by: under 100 ms on an idle machine),
// read from a 10 ms timer.
void BM_XclipPhotoPngPasteLongestStall(benchmark::State &state)
{
    QTemporaryDir dir;
    X11Pasteboard pasteboard;
    const QByteArray jpeg = cameraPhotoJpeg(7360, 4912);
    double longestStallMs = 0;
    for (auto _ : state) {
        pasteboard.writeImage(jpeg);
        QProcess xclip;
        xclip.setStandardOutputFile(dir.filePath(QStringLiteral("pasted.png")));
        QElapsedTimer sinceTurn;
        qint64 longest = 0;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTurn.restart()); });
        QElapsedTimer timer;
        timer.start();
        sinceTurn.start();
        ticker.start();
        xclip.start("xclip", {"-o", "-selection", "clipboard", "-t", "image/png"});
        while (xclip.state() != QProcess::NotRunning && timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        ticker.stop();
        longest = std::max(longest, sinceTurn.elapsed());
        longestStallMs = std::max(longestStallMs, double(longest));
        if (xclip.state() != QProcess::NotRunning || xclip.exitCode() != 0 || QFileInfo(dir.filePath(QStringLiteral("pasted.png"))).size() == 0)
            state.SkipWithError("xclip never received the PNG");
        xclip.kill();
        xclip.waitForFinished();
    }
    state.counters["longestStallMs"] = longestStallMs;
}
BENCHMARK(BM_XclipPhotoPngPasteLongestStall)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

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
