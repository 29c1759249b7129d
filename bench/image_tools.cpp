// Speed of the image tools on the user's path: saving a composed 1920x1080 screenshot, one
// preview repaint after a control change, and reading a 1920x1080 screenshot's text and QR
// code as the text sheet does (load, decode, Tesseract and zxing, result on the main thread).
// Run: build/bench/bench_image_tools
#define ZX_USE_UTF8 1
#include "BenchMain.h"
#include "platform/linux/LinuxQrDetector.h"
#include "platform/linux/LinuxTextRecognizer.h"
#include "ui/tools/ImageCanvasRenderer.h"
#include "ui/tools/ScreenshotReader.h"

#include <QBuffer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <benchmark/benchmark.h>

namespace {

QImage screenshot()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(18);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QStringList lines{QStringLiteral("Nastavenia histórie schránky a klávesových skratiek"),
                            QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789")};
    for (int row = 0, y = 40; y < 640; ++row, y += 34)
        painter.drawText(30, y, lines[row % lines.size()]);
    const ZXing::BitMatrix matrix =
        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(4).encode("https://example.sk/tarnel", 220, 220);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x)
            painter.fillRect(1500 + x, 700 + y, 1, 1, matrix.get(x, y) ? Qt::black : Qt::white);
    }
    return image;
}

ImageCanvasSettings squareWithShadow()
{
    ImageCanvasSettings settings;
    settings.cornerStyle = ImageCornerStyle::Medium;
    settings.hasImageShadow = true;
    return settings;
}

void ExportScreenshotOnSquareCanvasWithShadow(benchmark::State &state)
{
    const QImage image = screenshot();
    qsizetype bytes = 0;
    for (auto _ : state)
        bytes = ImageCanvasRenderer::renderPNG(image, squareWithShadow())->size();
    state.counters["png_kB"] = double(bytes) / 1024;
}
BENCHMARK(ExportScreenshotOnSquareCanvasWithShadow)->Unit(benchmark::kMillisecond)->Iterations(10);

// The preview repaints from the copy of the image it scaled once when it opened.
void PreviewRepaintAfterAControlChange(benchmark::State &state)
{
    const QSizeF canvas = ImageCanvas::size(ImageCanvasAspect::Wide, QSizeF(545, 500));
    const QImage cached = screenshot().scaled(QSize(1090, 1000), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage target(canvas.toSize(), QImage::Format_ARGB32_Premultiplied);
    ImageCanvasSettings settings = squareWithShadow();
    settings.aspect = ImageCanvasAspect::Wide;
    int step = 0;
    for (auto _ : state) {
        settings.selectedGradient = ++step % 8;
        QPainter painter(&target);
        ImageCanvasRenderer::paint(painter, canvas, settings, cached, QSizeF(1920, 1080));
    }
}
BENCHMARK(PreviewRepaintAfterAControlChange)->Unit(benchmark::kMillisecond)->Iterations(50);

void ReadScreenshotTextAndQr1920x1080(benchmark::State &state)
{
    LinuxTextRecognizer recognizer;
    LinuxQrDetector detector;
    ClipboardEntry entry;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    screenshot().save(&buffer, "PNG");
    entry.imageData = png;
    recognizer.recognize(screenshot()).waitForFinished(); // loads the language data once
    ScreenshotReading reading;
    for (auto _ : state) {
        ScreenshotReader reader(&recognizer, &detector);
        QEventLoop loop;
        QObject::connect(&reader, &ScreenshotReader::finished, &loop, [&](const ScreenshotReading &result) {
            reading = result;
            loop.quit();
        });
        reader.start(entry);
        loop.exec();
    }
    if (reading.outcome != ScreenshotReading::Outcome::Read)
        state.SkipWithError("the screenshot could not be read");
    state.counters["characters"] = double(reading.text.size());
    state.counters["codes"] = double(reading.qrCodes.size());
}
BENCHMARK(ReadScreenshotTextAndQr1920x1080)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    benchmain::drawOffscreenUnlessChosen();
    QGuiApplication app(argc, argv);
    return benchmain::runBenchmarks(argc, argv);
}
