#include "core/PngEncoder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include <cstring>
#include <vector>

#include <zlib.h>

namespace {

// Every pixel differs from its neighbours above and beside it, so a filter or a band joined
// wrong changes what is read back.
QImage pattern(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    quint32 state = 2463534242u;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            line[x] = qRgba(int(state & 0xff), (x * 7 + y) & 0xff, (y * 3) & 0xff, 40 + int((state >> 8) % 216));
        }
    }
    return image.convertToFormat(format);
}

// The image data of the PNG: its IDAT chunks joined, as a strict reader joins them.
QByteArray joinedImageData(const QByteArray &png)
{
    QByteArray data;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const auto length = qsizetype(quint32(quint8(png.at(at))) << 24 | quint32(quint8(png.at(at + 1))) << 16
                                      | quint32(quint8(png.at(at + 2))) << 8 | quint32(quint8(png.at(at + 3))));
        if (png.mid(at + 4, 4) == "IDAT")
            data.append(png.mid(at + 8, length));
        at += length + 12;
    }
    return data;
}

// What zlib makes of the joined stream: Z_OK and the inflated length, or its error. Qt's and
// GTK's readers ignore the stream's checksum; zlib and strict readers refuse a wrong one.
std::pair<int, qint64> inflatedByZlib(const QByteArray &stream, qint64 expectedLength)
{
    std::vector<Bytef> out(std::size_t(expectedLength) + 1);
    uLongf length = uLongf(out.size());
    const int result = uncompress(out.data(), &length, reinterpret_cast<const Bytef *>(stream.constData()),
                                  uLong(stream.size()));
    return {result, qint64(length)};
}

QImage readBack(QByteArray png)
{
    QBuffer buffer(&png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "PNG");
    reader.setAllocationLimit(512);
    return reader.read();
}

TEST(PngEncoder, WritesAPngThatReadsBackAsTheSamePixels)
{
    struct Case {
        const char *name;
        QImage image;
        QImage::Format comparedAs;
    };
    const Case cases[] = {
        {"opaque colours", pattern(301, 97, QImage::Format_RGB32), QImage::Format_RGB32},
        {"with alpha", pattern(97, 55, QImage::Format_ARGB32), QImage::Format_ARGB32},
        {"premultiplied alpha", pattern(64, 64, QImage::Format_ARGB32_Premultiplied), QImage::Format_ARGB32},
        {"grey", pattern(80, 33, QImage::Format_Grayscale8), QImage::Format_RGB32},
        {"one pixel", pattern(1, 1, QImage::Format_RGB32), QImage::Format_RGB32},
        {"one bit", pattern(123, 45, QImage::Format_Mono), QImage::Format_RGB32},
        // Several bands, made on several threads, their rows not evenly divided among them.
        {"many bands", pattern(3001, 2003, QImage::Format_RGB32), QImage::Format_RGB32},
        {"many bands with alpha", pattern(2003, 1999, QImage::Format_ARGB32), QImage::Format_ARGB32},
    };
    static_assert(qint64(3001) * 2003 > 2 * PngEncoder::kPixelsPerBand);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray png = PngEncoder::encoded(c.image);
        ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
        const QImage read = readBack(png);
        ASSERT_FALSE(read.isNull());
        EXPECT_EQ(read.size(), c.image.size());
        EXPECT_EQ(read.hasAlphaChannel(), c.image.hasAlphaChannel());
        const QImage expected = c.image.convertToFormat(c.comparedAs);
        const QImage got = read.convertToFormat(c.comparedAs);
        int differing = 0;
        for (int y = 0; y < expected.height(); ++y) {
            if (std::memcmp(expected.constScanLine(y), got.constScanLine(y), size_t(expected.width()) * 4) != 0)
                ++differing;
        }
        EXPECT_EQ(differing, 0) << "rows that read back differently";
        // Each row is its filter byte and its samples; Qt's writer keeps a one-bit image one bit deep.
        if (c.image.format() == QImage::Format_Mono)
            continue;
        const int channels = c.image.hasAlphaChannel() ? 4 : 3;
        const qint64 expectedLength = qint64(c.image.height()) * (qint64(c.image.width()) * channels + 1);
        const auto [result, length] = inflatedByZlib(joinedImageData(png), expectedLength);
        EXPECT_EQ(result, Z_OK) << "zlib: " << zError(result);
        EXPECT_EQ(length, expectedLength);
    }
    EXPECT_TRUE(PngEncoder::encoded(QImage()).isEmpty());
}

} // namespace
