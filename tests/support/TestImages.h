#pragma once

// Image bytes the tests feed to the code that keeps images.

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <vector>

#include <zlib.h>

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

// A PNG file around raw scanlines (each led by its filter byte), with the given IHDR depth and
// colour type. Built by hand so that a large canvas costs only its compressed rows.
inline QByteArray pngFromRows(int width, int height, char bitDepth, char colourType, const QByteArray &raw,
                              int compression = 9)
{
    QByteArray zlib = qCompress(raw, compression).mid(4); // qCompress prefixes the length to the zlib stream
    auto crc32 = [](const QByteArray &data) {
        quint32 crc = 0xffffffffu;
        for (const char byte : data) {
            crc ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        return crc ^ 0xffffffffu;
    };
    auto be32 = [](quint32 value) {
        QByteArray out(4, '\0');
        for (int i = 0; i < 4; ++i)
            out[i] = char(value >> (24 - 8 * i));
        return out;
    };
    auto chunk = [&](const char *type, const QByteArray &data) {
        const QByteArray body = QByteArray(type) + data;
        return be32(quint32(data.size())) + body + be32(crc32(body));
    };
    const QByteArray ihdr =
        be32(quint32(width)) + be32(quint32(height)) + QByteArray(1, bitDepth) + QByteArray(1, colourType) + QByteArray(3, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", zlib) + chunk("IEND", {});
}

// A PNG of one-bit grey pixels whose rows alternate between a checkerboard and its inverse: a
// fine two-colour pattern that reads as mid-grey when it is reduced by averaging.
inline QByteArray oneBitCheckerPng(int width, int height)
{
    const int stride = (width + 7) / 8;
    QByteArray raw;
    raw.reserve(qsizetype(stride + 1) * height);
    for (int y = 0; y < height; ++y) {
        raw.append('\0'); // no filter
        raw.append(QByteArray(stride, (y % 2) ? char(0x55) : char(0xaa)));
    }
    return pngFromRows(width, height, 1, 0, raw);
}

// A colour PNG as a large screenshot is: eight bits per channel, a grey page with a dark band
// every 40 rows, compressing to a small file whatever its canvas.
inline QByteArray screenshotPng(int width, int height)
{
    QByteArray raw;
    raw.reserve((qsizetype(width) * 3 + 1) * height);
    const QByteArray page(qsizetype(width) * 3, char(0xe0));
    const QByteArray band(qsizetype(width) * 3, char(0x30));
    for (int y = 0; y < height; ++y) {
        raw.append('\0'); // no filter
        raw.append(y % 40 ? page : band);
    }
    return pngFromRows(width, height, 8, 2, raw, 1);
}

// A JPEG of a large photo's canvas (10000 × 8000) that compresses to a small file.
inline const QByteArray &largePhotoJpeg()
{
    static const QByteArray bytes = [] {
        QImage image(10000, 8000, QImage::Format_Grayscale8);
        image.fill(150);
        for (int y = 0; y < image.height(); y += 40)
            std::fill_n(image.scanLine(y), image.width(), uchar(20));
        return encodedImage(image, "JPEG", 60);
    }();
    return bytes;
}

// A JPEG of a 12000 × 9000 screenshot (108 megapixels, beyond what one decode holds whole) in a
// file of about 1.3 MB: a light page with a dark band every 400 rows. It is drawn at one bit a
// pixel (13.5 MB), which the JPEG writer turns into grey row by row, so making it never holds a
// whole-canvas picture of bytes.
inline const QByteArray &hugeScreenshotJpeg()
{
    static const QByteArray bytes = [] {
        QImage page(12000, 9000, QImage::Format_Mono);
        page.setColorTable({qRgb(0xe0, 0xe0, 0xe0), qRgb(0x30, 0x30, 0x30)});
        page.fill(0);
        for (int y = 0; y < page.height(); y += 400) {
            for (int row = y; row < y + 8; ++row)
                std::fill_n(page.scanLine(row), page.bytesPerLine(), uchar(0xff));
        }
        return encodedImage(page, "JPEG", 80);
    }();
    return bytes;
}

// A one-frame GIF whose screen declares the given size: a format Qt decodes only whole.
inline QByteArray gifDeclaring(int width, int height)
{
    QByteArray gif("GIF89a");
    auto le16 = [&gif](int value) {
        gif.append(char(value & 0xff));
        gif.append(char((value >> 8) & 0xff));
    };
    le16(width);
    le16(height);
    gif.append("\x80\x00\x00", 3);                   // a two-colour global table follows
    gif.append("\x00\x00\x00\xff\xff\xff", 6);
    gif.append(',');
    le16(0);
    le16(0);
    le16(width);
    le16(height);
    gif.append('\0');
    gif.append("\x02\x02\x44\x01\x00;", 7);          // one coded pixel and the trailer
    return gif;
}

// A JPEG as a camera makes it: a smooth gradient under fine grain, at quality 90, about a third
// of a byte a pixel (a 36 MP photo in some 12 MB). Made row by row in the test, never kept in
// the tree.
inline QByteArray cameraPhotoJpeg(int width, int height)
{
    QImage photo(width, height, QImage::Format_RGB32);
    quint32 grain = 12345;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int noise = int(grain >> 27);
            line[x] = qRgb(std::min(255, x * 200 / width + noise), std::min(255, y * 200 / height + noise),
                           std::min(255, 40 + (x + y) * 100 / (width + height) + noise));
        }
    }
    return encodedImage(photo, "JPEG", 90);
}

// Writes a PNG whose image data is stored, not compressed, so that the file is as large as its
// pixels (three bytes each and one a row): a light page with a dark band every 40 rows, which
// any real compression shrinks to a small fraction. Made row by row, never held whole, so that
// files of a hundred megabytes cost the test little memory. False when the file cannot be written.
inline bool writeUncompressedPng(const QString &path, int width, int height)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    auto be32 = [](quint32 value) {
        QByteArray out(4, '\0');
        for (int i = 0; i < 4; ++i)
            out[i] = char(value >> (24 - 8 * i));
        return out;
    };
    auto writeChunk = [&](const char *type, const QByteArray &data) {
        const QByteArray body = QByteArray(type) + data;
        const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size())));
        return file.write(be32(quint32(data.size())) + body + be32(crc)) == data.size() + 12;
    };
    const QByteArray ihdr = be32(quint32(width)) + be32(quint32(height)) + QByteArray("\x08\x02\0\0\0", 5);
    bool ok = file.write("\x89PNG\r\n\x1a\n", 8) == 8 && writeChunk("IHDR", ihdr);
    z_stream stream{};
    if (!ok || deflateInit(&stream, Z_NO_COMPRESSION) != Z_OK)
        return false;
    std::vector<Bytef> page(std::size_t(width) * 3 + 1, Bytef(0xe0));
    std::vector<Bytef> band(std::size_t(width) * 3 + 1, Bytef(0x30));
    page[0] = band[0] = 0; // no filter
    QByteArray out(4 << 20, Qt::Uninitialized);
    for (int y = 0; y < height && ok; ++y) {
        std::vector<Bytef> &row = y % 40 ? page : band;
        stream.next_in = row.data();
        stream.avail_in = uInt(row.size());
        const int flush = y + 1 < height ? Z_NO_FLUSH : Z_FINISH;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(out.data());
            stream.avail_out = uInt(out.size());
            deflate(&stream, flush);
            const qsizetype made = out.size() - qsizetype(stream.avail_out);
            if (made > 0)
                ok = ok && writeChunk("IDAT", out.left(made));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return ok && writeChunk("IEND", {});
}
