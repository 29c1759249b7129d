// A two-colour scan beyond the whole-decode bound (an A3 page at 600 dpi, 7016 × 9921) is read
// whole, at one bit a pixel, wherever it is shown or converted: by the preview, the editor and
// the text reader, which all take their picture from EntryImageLoader, and into the PNG offered
// when it is pasted. Read reduced, a reader only picks pixels and fine strokes turn into noise.
#include "core/ImageSizeRule.h"
#include "platform/x11/X11PasteboardImageOffer.h"
#include "ui/tools/EntryImageLoader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include "support/TestImages.h"

namespace {

constexpr QSize kA3At600Dpi(7016, 9921);

// A one-bit BMP of the same checkerboard as oneBitCheckerPng: a format Qt reads only whole.
QByteArray oneBitCheckerBmp(QSize size)
{
    QImage page(size, QImage::Format_Mono);
    page.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < size.height(); ++y)
        std::fill_n(page.scanLine(y), page.bytesPerLine(), uchar((y % 2) ? 0x55 : 0xaa));
    return encodedImage(page, "BMP");
}

// Whole, and the checkerboard still a checkerboard: every pixel differs from the ones beside it
// and equals the ones across its corners.
void expectWholeChecker(const QImage &image)
{
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), kA3At600Dpi);
    int broken = 0;
    for (int y = 1; y + 1 < image.height(); y += 997) {
        for (int x = 1; x + 1 < image.width(); x += 613) {
            const QRgb here = image.pixel(x, y);
            broken += (here == image.pixel(x + 1, y) || here == image.pixel(x, y + 1) || here != image.pixel(x + 1, y + 1)) ? 1 : 0;
        }
    }
    EXPECT_EQ(broken, 0) << "pixels where the checkerboard is broken";
}

ClipboardEntry scanEntry(const QByteArray &bytes)
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.kind = ClipboardKind::Image;
    entry.imageData = bytes;
    return entry;
}

TEST(TwoColourScan, IsReadWholeByThePreviewTheEditorTheTextReaderAndThePastedPng)
{
    static_assert(qint64(kA3At600Dpi.width()) * kA3At600Dpi.height() > ImageSizeRule::kMaxDecodedPixels);
    const struct {
        const char *name;
        QByteArray bytes;
    } scans[] = {
        {"kept as PNG", oneBitCheckerPng(kA3At600Dpi.width(), kA3At600Dpi.height())},
        {"kept as BMP", oneBitCheckerBmp(kA3At600Dpi)},
    };
    for (const auto &scan : scans) {
        SCOPED_TRACE(scan.name);
        const ClipboardEntry entry = scanEntry(scan.bytes);
        {
            SCOPED_TRACE("the preview and the editor");
            expectWholeChecker(EntryImageLoader::load(entry));
        }
        {
            SCOPED_TRACE("the text reader");
            QFuture<QImage> loading = EntryImageLoader::loadAsync(entry);
            expectWholeChecker(loading.result());
        }
    }
    // A PNG is offered as it is kept; a BMP is converted.
    X11PasteboardImageOffer offer(scans[1].bytes);
    ASSERT_TRUE(offer.png().isValid());
    QByteArray png = offer.png().result();
    QBuffer buffer(&png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "PNG");
    reader.setAllocationLimit(ImageSizeRule::kDecodeAllocationLimitMB);
    SCOPED_TRACE("the PNG offered on paste");
    expectWholeChecker(reader.read());
}

} // namespace
