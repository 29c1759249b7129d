// Speed of the screenshot and recognised-text roads of the model:
//  - import of a 2560x1600 PNG screenshot file: the main thread's share (size checks, then
//    inserting, notice, trim and writing the history and image file) and the whole import
//    from the check that finds the file complete to the published entry (the two 350 ms
//    waits before the checks come on top by design);
//  - reading a 1920x1080 screen selection: PNG decode, Tesseract, then the model's entry and
//    clipboard write.
// Run: build/bench/bench_engine_screens
#include "BenchMain.h"
#include "../tests/engine/EngineTestSupport.h"

#include "platform/linux/LinuxTextRecognizer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTest>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

// A screenshot of a desktop: gradients, windows, text and one photo-like area, so that the
// PNG is as large as real ones (a few megabytes), not a flat fill.
QByteArray desktopScreenshot(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(40, 70, 120));
    sky.setColorAt(1, QColor(200, 120, 80));
    painter.fillRect(image.rect(), sky);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    painter.setFont(font);
    for (int w = 0; w < 6; ++w) {
        const QRect window(80 + w * 380, 120 + (w % 3) * 260, 900, 700);
        painter.fillRect(window, QColor(250, 250, 250));
        painter.fillRect(window.x(), window.y(), window.width(), 32, QColor(60, 60, 70));
        painter.setPen(Qt::black);
        for (int line = 0; line < 30; ++line)
            painter.drawText(window.x() + 16, window.y() + 60 + line * 21,
                             QStringLiteral("Riadok %1 okna %2: história schránky, Paste Stack a snímky").arg(line).arg(w));
    }
    painter.end();
    quint32 state = 2024;
    for (int y = 1000; y < 1500; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 1700; x < 2400; ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = qRgb((x / 3) & 0xff, (y / 2) & 0xff, int(state >> 24) & 0x3f);
        }
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

// CPU time of the calling thread: on a loaded machine the wall time of a turn of the event
// loop also counts the time the thread waited for a core.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// What the main thread spent on one stretch of work: CPU time and the longest single turn.
struct MainThreadCost {
    double cpuMs = 0;
    double longestTurnCpuMs = 0;

    void add(double ms)
    {
        cpuMs += ms;
        longestTurnCpuMs = std::max(longestTurnCpuMs, ms);
    }
};

// Turns the event loop until `done`, adding each turn's CPU time to `cost`. Turns sleep while
// nothing is due, so only work is counted.
void turnUntil(const std::function<bool()> &done, MainThreadCost &cost)
{
    while (!done()) {
        const double start = threadCpuMs();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        cost.add(threadCpuMs() - start);
    }
}

constexpr int kStoredFileWaitMs = 10000;

void ScreenshotImport2560x1600(benchmark::State &state)
{
    const QByteArray png = desktopScreenshot(QSize(2560, 1600));
    QTemporaryDir shots;
    const QString path = shots.filePath(QStringLiteral("Screenshot 2026-12-06.png"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(png);
    }
    double mainThreadMs = 0;
    double longestMs = 0;
    double checkMs = 0;
    for (auto _ : state) {
        ModelHarness h;
        ClipboardModel &model = h.make();
        model.setScreenshotFolder(shots.path());
        Q_EMIT model.screenshotFolderMonitor()->screenshotAdded(path);
        MainThreadCost cost;
        h.clock.advance(ClipboardModel::kScreenshotCheckDelay); // first check: the size is recorded
        QElapsedTimer whole;
        whole.start();
        const double checkStart = threadCpuMs();
        h.clock.advance(ClipboardModel::kScreenshotCheckDelay); // second: complete, the read starts
        const double check = threadCpuMs() - checkStart;
        cost.add(check);
        turnUntil([&] { return !model.entries().isEmpty(); }, cost);
        state.SetIterationTime(double(whole.nsecsElapsed()) / 1e9);
        // The writer names the stored file a moment after the entry shows; that wait is not the
        // user's.
        const bool stored = QTest::qWaitFor([&] { return model.entries().first().imageFilePath.has_value(); },
                                            kStoredFileWaitMs);
        if (!stored) {
            state.SkipWithError("the screenshot was not written to the image store");
            break;
        }
        mainThreadMs += cost.cpuMs;
        longestMs = std::max(longestMs, cost.longestTurnCpuMs);
        checkMs += check;
    }
    const double n = double(state.iterations());
    state.counters["main_thread_cpu_ms"] = mainThreadMs / n;
    state.counters["longest_turn_cpu_ms"] = longestMs;
    state.counters["completing_check_cpu_ms"] = checkMs / n;
    state.counters["png_MB"] = double(png.size()) / 1e6;
}
BENCHMARK(ScreenshotImport2560x1600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Selection as the region capture writes it: a 1920x1080 PNG of a screen full of text.
QByteArray screenSelection()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(18);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QStringList lines{QStringLiteral("Nastavenia histórie schránky a klávesových skratiek"),
                            QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"),
                            QStringLiteral("Žltý kôň pije vodu z potoka, ďakujem za kávu.")};
    int row = 0;
    for (int y = 40; y < 1060; y += 34, ++row)
        painter.drawText(30 + (row % 2) * 960, y, lines[row % lines.size()]);
    painter.end();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

void ScreenTextRead1920x1080(benchmark::State &state)
{
    const QByteArray selection = screenSelection();
    LinuxTextRecognizer recognizer;
    recognizer.recognize(QImage(64, 64, QImage::Format_RGB32)).waitForFinished(); // language data loaded once
    ModelHarness h;
    ClipboardModel &model = h.make();
    double modelMs = 0;
    qsizetype characters = 0;
    for (auto _ : state) {
        const QImage image = QImage::fromData(selection, "PNG");
        const TextRecognitionResult result = recognizer.recognize(image).result();
        if (!result.ok()) {
            state.SkipWithError(result.error.toUtf8().constData());
            break;
        }
        const double start = threadCpuMs();
        model.copyScreenRecognition(*result.text);
        modelMs += threadCpuMs() - start;
        characters = result.text->size();
    }
    state.counters["model_main_thread_cpu_ms"] = modelMs / double(state.iterations());
    state.counters["characters"] = double(characters);
}
BENCHMARK(ScreenTextRead1920x1080)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    benchmain::drawOffscreenUnlessChosen();
    QGuiApplication app(argc, argv);
    return benchmain::runBenchmarks(argc, argv);
}
