#include "core/PngEncoder.h"

#include <QBuffer>
#include <QThread>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace PngEncoder {

namespace {

constexpr int kDeflateLevel = 1;
constexpr std::size_t kOutputStep = 256 * 1024;
constexpr std::uint8_t kFilterUp = 2;

struct Band {
    QByteArray deflated;
    uLong adler = 0;
    qint64 length = 0;
    bool ok = false;
};

void appendBigEndian(QByteArray &out, quint32 value)
{
    const std::array<char, 4> bytes{char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes.data(), bytes.size());
}

void appendChunk(QByteArray &out, const char *type, const char *data, qsizetype size)
{
    appendBigEndian(out, quint32(size));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data, size);
    appendBigEndian(out, quint32(crc32(0, reinterpret_cast<const Bytef *>(out.constData() + start), uInt(size + 4))));
}

// One row as the PNG holds it: red, green, blue (and alpha) bytes in that order.
void unpackRow(const QImage &image, int y, bool alpha, std::uint8_t *row)
{
    const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    const int width = image.width();
    for (int x = 0; x < width; ++x) {
        const QRgb pixel = pixels[x];
        *row++ = std::uint8_t(qRed(pixel));
        *row++ = std::uint8_t(qGreen(pixel));
        *row++ = std::uint8_t(qBlue(pixel));
        if (alpha)
            *row++ = std::uint8_t(qAlpha(pixel));
    }
}

// Rows [first, last) filtered and deflated into raw deflate data that ends on a byte boundary
// (the last band ends the stream), with the Adler-32 of the filtered bytes.
Band deflatedBand(const QImage &image, bool alpha, int first, int last, bool final)
{
    Band band;
    const std::size_t rowBytes = std::size_t(image.width()) * (alpha ? 4 : 3);
    std::vector<std::uint8_t> above(rowBytes, 0);
    std::vector<std::uint8_t> current(rowBytes);
    std::vector<std::uint8_t> filtered(rowBytes + 1);
    std::vector<std::uint8_t> out(kOutputStep);
    filtered[0] = kFilterUp;
    if (first > 0)
        unpackRow(image, first - 1, alpha, above.data());
    z_stream stream{};
    if (deflateInit2(&stream, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return band;
    band.adler = adler32(0, nullptr, 0);
    bool ok = true;
    for (int y = first; y < last && ok; ++y) {
        unpackRow(image, y, alpha, current.data());
        for (std::size_t i = 0; i < rowBytes; ++i)
            filtered[i + 1] = std::uint8_t(current[i] - above[i]);
        std::swap(current, above);
        band.adler = adler32(band.adler, filtered.data(), uInt(filtered.size()));
        band.length += qint64(filtered.size());
        stream.next_in = filtered.data();
        stream.avail_in = uInt(filtered.size());
        const int flush = y + 1 < last ? Z_NO_FLUSH : (final ? Z_FINISH : Z_FULL_FLUSH);
        do {
            stream.next_out = out.data();
            stream.avail_out = uInt(out.size());
            const int result = deflate(&stream, flush);
            if (result == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
            band.deflated.append(reinterpret_cast<const char *>(out.data()), qsizetype(out.size() - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    band.ok = ok;
    return band;
}

QByteArray qtEncoded(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return png;
}

} // namespace

QByteArray encoded(const QImage &source)
{
    if (source.isNull())
        return {};
    const QImage::Format format = source.format();
    if (format == QImage::Format_Mono || format == QImage::Format_MonoLSB || format == QImage::Format_Indexed8)
        return qtEncoded(source);
    const bool alpha = source.hasAlphaChannel();
    const QImage::Format wanted = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    const QImage image = format == wanted ? source : source.convertToFormat(wanted);
    if (image.isNull())
        return {};

    const qint64 pixels = qint64(image.width()) * image.height();
    const int bandCount = int(std::clamp<qint64>(pixels / kPixelsPerBand, 1, std::min(image.height(), 2 * QThread::idealThreadCount())));
    std::vector<Band> deflated(static_cast<std::size_t>(bandCount));
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int index = next++; index < bandCount; index = next++) {
            const int first = int(qint64(image.height()) * index / bandCount);
            const int last = int(qint64(image.height()) * (index + 1) / bandCount);
            deflated[std::size_t(index)] = deflatedBand(image, alpha, first, last, index + 1 == bandCount);
        }
    };
    {
        // Threads of its own rather than the shared pool's: a busy pool never delays the PNG
        // that a program is waiting for. The calling thread takes bands too.
        std::vector<std::jthread> helpers;
        const int helperCount = std::min(bandCount, QThread::idealThreadCount()) - 1;
        for (int i = 0; i < helperCount; ++i)
            helpers.emplace_back(work);
        work();
    }

    qint64 size = 0;
    for (const Band &band : std::as_const(deflated)) {
        if (!band.ok)
            return {};
        size += band.deflated.size() + 12;
    }
    QByteArray png;
    png.reserve(qsizetype(size + 64));
    png.append("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian(header, quint32(image.width()));
    appendBigEndian(header, quint32(image.height()));
    // Eight bits a sample; truecolour, with alpha or without; deflate; filters by row; no interlace.
    header.append(char(8)).append(char(alpha ? 6 : 2)).append(char(0)).append(char(0)).append(char(0));
    appendChunk(png, "IHDR", header.constData(), header.size());
    // The zlib header (32 KiB window, fastest level), then every band's data, then the checksum
    // of all filtered bytes.
    appendChunk(png, "IDAT", "\x78\x01", 2);
    uLong adler = adler32(0, nullptr, 0);
    for (Band &band : deflated) {
        adler = adler32_combine(adler, band.adler, z_off_t(band.length));
        appendChunk(png, "IDAT", band.deflated.constData(), band.deflated.size());
        band.deflated = QByteArray();
    }
    QByteArray checksum;
    appendBigEndian(checksum, quint32(adler));
    appendChunk(png, "IDAT", checksum.constData(), checksum.size());
    appendChunk(png, "IEND", nullptr, 0);
    return png;
}

} // namespace PngEncoder
