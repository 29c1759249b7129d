// Main-thread time of opening the image preview and the composer on a 3840x2160 screenshot kept
// in the image store, as the openers do it: from the click until the sheet is on screen (the
// decode runs on the thread pool and is not counted), and, apart, the wait until it is decoded.
// Run: build/bench/bench_image_sheets
#include "BenchMain.h"
#include "core/ClipboardImageStore.h"
#include "core/EntryImageBytes.h"
#include "ui/tools/EntryImageLoader.h"
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ImagePreviewSheet.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <chrono>
#include <memory>

namespace {

constexpr QSize kScreenshotSize(3840, 2160);
constexpr int kWaitMs = 30000;

// A screenshot-like picture: flat panels, lines of text and a noisy photo, so the PNG is neither
// trivially small nor pure noise.
QByteArray screenshotPng()
{
    QImage image(kScreenshotSize, QImage::Format_RGB32);
    image.fill(QColor(236, 238, 242));
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, kScreenshotSize.width(), 80), QColor(40, 44, 52));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(26);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int y = 140; y < kScreenshotSize.height(); y += 40)
        painter.drawText(60, y, QStringLiteral("Nastavenia histórie schránky a klávesových skratiek %1").arg(y));
    painter.end();
    QRandomGenerator random(7);
    for (int y = 300; y < 1500; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 2200; x < 3600; ++x)
            line[x] = qRgb(int(random.bounded(256)), x % 256, y % 256);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

struct StoredScreenshot {
    QTemporaryDir folder;
    ClipboardImageStore store{folder.filePath(QStringLiteral("Clipboard Images"))};
    ClipboardEntry entry;

    StoredScreenshot()
    {
        entry.id = QStringLiteral("0F3C2A7E-1D2B-4C5A-9E8F-0123456789AB");
        entry.kind = ClipboardKind::Image;
        entry.isScreenshot = true;
        entry.imageFilePath = store.save(screenshotPng()).path;
    }
};

StoredScreenshot &stored()
{
    static StoredScreenshot screenshot;
    return screenshot;
}

template<typename Sheet>
void openSheet(benchmark::State &state)
{
    const ClipboardEntry &entry = stored().entry;
    const EntryImageBytes reader(stored().store);
    double waitMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto sheet = std::make_unique<Sheet>(entry, EntryImageLoader::loadAsync(entry, reader), ClipboardAppearance::Dark);
        sheet->show();
        QCoreApplication::processEvents();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!QTest::qWaitFor([&sheet] { return !sheet->isLoading(); }, kWaitMs) || !sheet->hasImage())
            state.SkipWithError("the screenshot did not load");
        waitMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["until_decoded_ms"] = waitMs / double(state.iterations());
}

void OpenPreviewOf3840x2160Screenshot(benchmark::State &state)
{
    openSheet<ImagePreviewSheet>(state);
}
BENCHMARK(OpenPreviewOf3840x2160Screenshot)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

void OpenComposerOf3840x2160Screenshot(benchmark::State &state)
{
    openSheet<ImageCanvasComposerSheet>(state);
}
BENCHMARK(OpenComposerOf3840x2160Screenshot)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    benchmain::drawOffscreenUnlessChosen();
    QApplication app(argc, argv);
    return benchmain::runBenchmarks(argc, argv);
}
