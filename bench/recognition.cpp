// Speed of reading screen text and QR codes: OCR of a 1280x720 screen-like image and QR
// detection in a full-HD image. Run: build/bench/bench_recognition
#define ZX_USE_UTF8 1
#include "BenchMain.h"
#include "platform/linux/LinuxQrDetector.h"
#include "platform/linux/LinuxTextRecognizer.h"

#include <QGuiApplication>
#include <QPainter>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <benchmark/benchmark.h>

namespace {

QImage screenText(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(18);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QStringList lines{QStringLiteral("Nastavenia histórie schránky a klávesových skratiek"),
                            QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"),
                            QStringLiteral("Žltý kôň pije vodu z potoka, ďakujem za kávu."),
                            QStringLiteral("Paste Stack, Jars, Pins, Snippets and screenshots")};
    int y = 40;
    for (int row = 0; y < size.height() - 20; ++row, y += 34)
        painter.drawText(30, y, lines[row % lines.size()]);
    return image;
}

QImage qrScene(QSize size)
{
    QImage image = screenText(size);
    const ZXing::BitMatrix matrix =
        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(4).encode("https://example.sk/tarnel", 220, 220);
    QPainter painter(&image);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x)
            painter.fillRect(1500 + x, 700 + y, 1, 1, matrix.get(x, y) ? Qt::black : Qt::white);
    }
    return image;
}

void TextRecognition1280x720(benchmark::State &state)
{
    LinuxTextRecognizer recognizer;
    const QImage image = screenText(QSize(1280, 720));
    recognizer.recognize(image).waitForFinished(); // loads the language data once
    qsizetype characters = 0;
    for (auto _ : state) {
        const TextRecognitionResult result = recognizer.recognize(image).result();
        if (!result.ok()) {
            state.SkipWithError(result.error.toUtf8().constData());
            break;
        }
        characters = result.text->size();
    }
    state.counters["characters"] = double(characters);
}
BENCHMARK(TextRecognition1280x720)->Unit(benchmark::kMillisecond)->Iterations(5);

void TextRecognitionFirstRequest(benchmark::State &state)
{
    const QImage image = screenText(QSize(1280, 720));
    for (auto _ : state) {
        LinuxTextRecognizer recognizer; // includes loading Slovak and English data
        benchmark::DoNotOptimize(recognizer.recognize(image).result());
    }
}
BENCHMARK(TextRecognitionFirstRequest)->Unit(benchmark::kMillisecond)->Iterations(3);

void QrDetection1920x1080(benchmark::State &state)
{
    const QImage image = qrScene(QSize(1920, 1080));
    qsizetype found = 0;
    for (auto _ : state)
        found = LinuxQrDetector::detectNow(image).size();
    state.counters["codes"] = double(found);
}
BENCHMARK(QrDetection1920x1080)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    benchmain::drawOffscreenUnlessChosen();
    QGuiApplication app(argc, argv);
    return benchmain::runBenchmarks(argc, argv);
}
