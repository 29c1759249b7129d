#include "FuzzInput.h"

#include "core/ClipboardImageStore.h"
#include "core/ImageSizeRule.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtMath>

#include <cmath>

namespace {

// Canvases up to this size are decoded as well; larger ones would only slow the search down,
// their headers are still checked.
constexpr qint64 kLargestDecodedPixels = 4'000'000;

QTemporaryDir *folder = nullptr;
ClipboardImageStore *store = nullptr;

// Qt's image decoders carry no coverage hooks, so every image would look alike to the fuzzer. Each
// distinct decode outcome (format, error, pixel format, size class) counts as coverage instead.
__attribute__((section("__libfuzzer_extra_counters"))) uint8_t decodeOutcomes[4096];

void countOutcome(const QImageReader &reader, const QImage &image)
{
    const size_t outcome = qHashMulti(0, reader.format(), int(reader.error()), int(image.format()),
                                      qCeil(std::log2(image.width() + 1)), qCeil(std::log2(image.height() + 1)));
    ++decodeOutcomes[outcome % sizeof decodeOutcomes];
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    silenceQtMessages();
    new QCoreApplication(*argc, *argv); // the image format plugins are found through it
    folder = new QTemporaryDir(fuzzScratchFolder());
    store = new ClipboardImageStore(folder->filePath(QStringLiteral("images")));
    return folder->isValid() ? 0 : 1;
}

// Bytes a program offered as image/png: the size rule, the decode that the screenshot road and
// the views do, and the store's write and read.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QSize> declared = ImageSizeRule::declaredSize(bytes);
    const bool bomb = declared && qint64(declared->width()) * declared->height() > ImageSizeRule::kMaxCanvasPixels;
    const std::optional<ImageSizeRule::Header> found = ImageSizeRule::header(bytes);
    const bool cutOff = found && ImageSizeRule::endsEarly(bytes, found->format);
    const std::optional<QByteArray> kept = ImageSizeRule::optimized(bytes);
    // Small copies are never re-encoded: kept as they are unless empty, a bomb or cut off.
    FUZZ_EXPECT(kept.has_value() == (!bytes.isEmpty() && !bomb && !cutOff));
    if (!kept)
        return 0;
    FUZZ_EXPECT(*kept == bytes);

    if (declared && qint64(declared->width()) * declared->height() <= kLargestDecodedPixels) {
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAllocationLimit(ImageSizeRule::kDecodeAllocationLimitMB);
        QImage image;
        reader.read(&image);
        countOutcome(reader, image);
    }

    const ClipboardImageStore::SaveResult saved = store->save(bytes);
    FUZZ_EXPECT(saved.ok());
    FUZZ_EXPECT(store->load(saved.path) == bytes);
    store->removeUnreferencedImages({});
    return 0;
}
