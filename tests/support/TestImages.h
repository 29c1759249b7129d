#pragma once

// Image bytes the tests feed to the code that keeps images.

#include <QBuffer>
#include <QColor>
#include <QImage>

inline QByteArray encodedImage(const QImage &image, const char *format = "PNG", int quality = -1)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return out;
}

inline QByteArray pngBytes(int width, int height, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return encodedImage(image);
}

// A small PNG whose header declares a canvas of the given size (a decompression bomb's shape),
// with the header's CRC-32 rewritten so that it still reads as valid.
inline QByteArray pngDeclaring(int width, int height)
{
    QByteArray png = pngBytes(1, 1);
    auto put32 = [&png](int offset, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[offset + i] = char(value >> (24 - 8 * i));
    };
    put32(16, quint32(width));
    put32(20, quint32(height));
    quint32 crc = 0xffffffffu;
    for (const char byte : png.mid(12, 17)) { // IHDR type and data
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    put32(29, crc ^ 0xffffffffu);
    return png;
}

// A PNG of noise larger than the size target, which PNG cannot shrink but JPEG can: keeping it
// needs a re-encoding.
inline QByteArray noisyPngAboveTarget()
{
    QImage image(2600, 2000, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = state | 0xff000000u;
        }
    }
    return encodedImage(image, "PNG", 100);
}
