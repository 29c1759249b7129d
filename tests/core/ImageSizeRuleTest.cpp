#include "core/ImageSizeRule.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>

namespace {

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return out;
}

// CRC-32 as PNG chunks carry it, so that a rewritten header still reads as valid.
quint32 pngCrc(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

// A small PNG whose header declares a canvas of the given size: the reader must refuse it from
// the header alone, before decoding.
QByteArray pngDeclaring(int width, int height)
{
    // A real small PNG, with the width and height fields of its IHDR chunk rewritten.
    QByteArray png = encode(QImage(1, 1, QImage::Format_RGB32), "PNG");
    auto put32 = [&png](int offset, quint32 value) {
        png[offset] = char(value >> 24);
        png[offset + 1] = char(value >> 16);
        png[offset + 2] = char(value >> 8);
        png[offset + 3] = char(value);
    };
    put32(16, quint32(width));
    put32(20, quint32(height));
    put32(29, pngCrc(png.mid(12, 17))); // IHDR type and data
    return png;
}

// A PNG of noise, big enough to cross the target size, that PNG cannot shrink but JPEG can.
QByteArray noisyPngLargerThanTarget()
{
    QImage image(2600, 2000, QImage::Format_RGB32);
    QRandomGenerator generator(7);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = generator.generate() | 0xff000000u;
    }
    return encode(image, "PNG");
}

TEST(ImageSizeRule, KeepsSmallImagesByteForByteAndRefusesWhatCannotBeKept)
{
    const QByteArray small = encode(QImage(40, 30, QImage::Format_RGB32), "PNG");
    QByteArray padded = small;
    padded.resize(ImageSizeRule::kTargetBytes, '\0'); // trailing bytes after IEND still decode

    struct Case {
        const char *name;
        QByteArray bytes;
        bool kept;
        bool unchanged;
    };
    const Case cases[] = {
        {"small png", small, true, true},
        {"exactly the target size", padded, true, true},
        {"above the ceiling", QByteArray(ImageSizeRule::kCeilingBytes + 1, 'x'), false, false},
        {"not an image", QByteArray("definitely not an image"), false, false},
        {"empty", QByteArray(), false, false},
        {"100 megapixel canvas declared", pngDeclaring(10000, 10000), false, false},
        {"canvas just over the pixel cap", pngDeclaring(8001, 8000), false, false},
        {"canvas at the pixel cap, small file", pngDeclaring(8000, 8000), true, true},
    };
    for (const Case &c : cases) {
        const std::optional<QByteArray> result = ImageSizeRule::optimized(c.bytes);
        EXPECT_EQ(result.has_value(), c.kept) << c.name;
        if (c.unchanged && result) {
            EXPECT_EQ(*result, c.bytes) << c.name;
        }
    }
}

TEST(ImageSizeRule, ReencodesAnImageAboveTheTargetUntilItFits)
{
    const QByteArray noisy = noisyPngLargerThanTarget();
    ASSERT_GT(noisy.size(), ImageSizeRule::kTargetBytes);
    ASSERT_TRUE(ImageSizeRule::needsReencoding(noisy));
    const std::optional<QByteArray> result = ImageSizeRule::optimized(noisy);
    ASSERT_TRUE(result.has_value());
    EXPECT_LE(result->size(), ImageSizeRule::kTargetBytes);
    // The noise does not shrink as PNG, so the JPEG form is what fits.
    EXPECT_TRUE(result->startsWith("\xff\xd8"));
}

TEST(ImageSizeRule, DeclaredSizeReadsOnlyTheHeader)
{
    EXPECT_EQ(ImageSizeRule::declaredSize(pngDeclaring(30000, 20000)), QSize(30000, 20000));
    EXPECT_FALSE(ImageSizeRule::declaredSize(QByteArray("GIF-ish junk")).has_value());
}

} // namespace
