// The PNG offered when a kept camera photo is pasted: how long its making takes at 24, 36 and 50
// megapixels, and how large it is, for Qt's writer at its default level, Qt's writer at zlib
// level 1, and PngEncoder (one cheap filter, level 1, in bands on every core). The JPEG decode
// that comes before it is measured apart; so is the whole "Save as PNG" of a kept 24 MP photo
// (read, decode, encode, write), which makes its PNG the same way. No display needed:
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

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return benchmain::runBenchmarks(argc, argv);
}
