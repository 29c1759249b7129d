// The PNG offered when a kept camera photo is pasted: how long its making takes at 24, 36 and 50
// megapixels, and how large it is, for Qt's writer at its default level, Qt's writer at zlib
// level 1, and PngEncoder (one cheap filter, level 1, in bands on every core). The JPEG decode
// that comes before it is measured apart; so is the whole "Save as PNG" of a kept 24 MP photo
// (read, decode, encode, write), which makes its PNG the same way. A 98 MB PNG copy kept by the
// image size rule, beside its floor: BM_LargePngCopyKept. No display needed:
//   build/bench/bench_photo_png
#include "BenchMain.h"
#include "core/ImageSizeRule.h"
#include "core/PngEncoder.h"
#include "support/TestImages.h"
#include "ui/quickaccess/QuickImageExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

enum Writer { QtDefault,
              QtLevelOne,
              Encoder };

QSize photoSize(int megapixels)
{
    switch (megapixels) {
    case 24:
        return {6000, 4000};
    case 36:
        return {7360, 4912};
    default:
        return {8660, 5774};
    }
}

const QByteArray &photo(int megapixels)
{
    static QHash<int, QByteArray> made;
    auto found = made.find(megapixels);
    if (found == made.end()) {
        const QSize size = photoSize(megapixels);
        found = made.insert(megapixels, cameraPhotoJpeg(size.width(), size.height()));
    }
    return *found;
}

void BM_PhotoJpegDecode(benchmark::State &state)
{
    const QByteArray &jpeg = photo(int(state.range(0)));
    state.counters["jpegBytes"] = double(jpeg.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageSizeRule::decoded(jpeg));
}
BENCHMARK(BM_PhotoJpegDecode)->Arg(24)->Arg(36)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PhotoPng(benchmark::State &state)
{
    const QImage image = ImageSizeRule::decoded(photo(int(state.range(0))));
    const auto writer = Writer(state.range(1));
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray png;
        if (writer == Encoder) {
            png = PngEncoder::encoded(image);
        } else {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            // Qt maps quality 80 to zlib level 1 and keeps libpng's filters.
            image.save(&buffer, "PNG", writer == QtLevelOne ? 80 : -1);
        }
        bytes = png.size();
    }
    state.counters["pngBytes"] = double(bytes);
}
BENCHMARK(BM_PhotoPng)
    ->ArgsProduct({{24, 36, 50}, {QtDefault, QtLevelOne, Encoder}})
    ->ArgNames({"MP", "writer"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

void BM_SaveKeptPhotoAsPng(benchmark::State &state)
{
    ClipboardEntry entry;
    entry.id = QStringLiteral("0123abcd-ffff-4444-8888-000000000000");
    entry.kind = ClipboardKind::Image;
    entry.imageData = photo(24);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.png"));
    for (auto _ : state) {
        if (!QuickImageExport::save(entry, QuickImageAction::SavePNG, path, std::nullopt))
            state.SkipWithError("not saved");
    }
    state.counters["pngBytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_SaveKeptPhotoAsPng)->Unit(benchmark::kMillisecond)->Iterations(2);

// A camera photo copied as a PNG of some 98 MB, above the 15 MB target, kept by the image size
// rule (range 1) beside its floor (range 0): the decode and the JPEG encode that keeping it
// cannot do without. A PNG re-encoding that cannot fit the target shows as the gap between the
// two.
const QByteArray &largePhotoPng()
{
    static const QByteArray bytes = [] {
        // A camera photo's gradients under a sensor's grain in each channel, which PNG cannot
        // squeeze: some 2.4 bytes a pixel, some 98 MB at 40 MP, just under the ceiling.
        QImage picture(7650, 5200, QImage::Format_RGB32);
        quint32 grain = 12345;
        for (int y = 0; y < picture.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                grain = grain * 1664525u + 1013904223u;
                line[x] = qRgb(std::min(255, x * 180 / picture.width() + int(grain >> 26)),
                               std::min(255, y * 180 / picture.height() + int((grain >> 20) & 63)),
                               std::min(255, 40 + (x + y) * 100 / (picture.width() + picture.height()) + int((grain >> 14) & 63)));
            }
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        return png;
    }();
    return bytes;
}

void BM_LargePngCopyKept(benchmark::State &state)
{
    const QByteArray &png = largePhotoPng();
    qint64 kept = 0;
    for (auto _ : state) {
        if (state.range(0) == 0) {
            const QImage picture = ImageSizeRule::decoded(png);
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "JPEG", ImageSizeRule::kJpegQuality);
            kept = jpeg.size();
        } else {
            kept = ImageSizeRule::optimized(png).value_or(QByteArray()).size();
        }
    }
    state.SetLabel(state.range(0) ? "size rule" : "floor: decode and JPEG");
    state.counters["pngBytes"] = double(png.size());
    state.counters["keptBytes"] = double(kept);
}
BENCHMARK(BM_LargePngCopyKept)->ArgName("rule")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return benchmain::runBenchmarks(argc, argv);
}
