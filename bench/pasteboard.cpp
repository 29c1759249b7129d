// Clipboard road: how soon another program's copy is readable (the poll step's own cost is
// in engine_capture). Needs an X display; run it on a private one:
//   xvfb-run -a build/bench/bench_pasteboard
// or tests/support/with-x11.sh build/bench/bench_pasteboard

#include "BenchMain.h"
#include "platform/x11/X11Pasteboard.h"

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

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
