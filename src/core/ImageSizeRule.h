#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

// The size rule for images that enter the history: nothing above the ceiling is ever kept,
// images up to the target are kept byte for byte, larger ones are re-encoded (PNG first unless
// its estimate is far past the target, then JPEG) and kept only if the result fits the target.
// Decoding is bounded in memory: JPEG and PNG decode reduced while they read (JPEG by its own
// scaling, PNG row by row), other formats decode whole only up to kMaxDecodedPixels. Every
// function is thread-safe, so the slow path can run on a worker thread.
namespace ImageSizeRule {

inline constexpr qint64 kCeilingBytes = 100'000'000;
inline constexpr qint64 kTargetBytes = 15'000'000;
inline constexpr int kJpegQuality = 82;
// Pixels one decode holds at once (four bytes each): beyond it an image decodes only reduced.
inline constexpr qint64 kMaxDecodedPixels = 64'000'000;
// A canvas beyond this is a decompression bomb whatever its format, refused from its header
// alone: even a reduced decode would inflate every one of its rows.
inline constexpr qint64 kMaxCanvasPixels = 250'000'000;
// Upper bound for one decode, in megabytes (Qt's allocation limit unit): the largest whole
// decode at four bytes per pixel, with some room.
inline constexpr int kDecodeAllocationLimitMB = 300;

struct Header {
    QSize size;
    QByteArray format;           // as Qt names it: "png", "jpeg", "gif" ...
    QImage::Format pixelFormat;  // what a whole decode gives; Format_Invalid when unknown
};

// What the image's header declares, without decoding pixels; nothing when the bytes are not an
// image Qt can read.
std::optional<Header> header(const QByteArray &bytes);
std::optional<QSize> declaredSize(const QByteArray &bytes);

// Whether the bytes stop before the end that the format marks (PNG's last chunk, the end of a
// JPEG's last scan, a BMP's declared size): a copy cut off in transfer. Bytes after the end are
// allowed; formats without such a mark never end early.
bool endsEarly(const QByteArray &bytes, const QByteArray &format);

// Whether Qt's reader of the format decodes reduced while it reads, holding only the reduced
// picture (and a row) in memory.
bool readsReduced(const QByteArray &format);

// Whether the format's whole decode holds one bit per pixel (two-colour scans and screenshots):
// such a canvas decodes whole up to kMaxCanvasPixels, since reduced reads of it only pick
// pixels and turn fine strokes into noise.
bool isOneBit(QImage::Format pixelFormat);

// Whether a canvas of this header can be decoded within the memory bound, at full size or
// reduced; false for a bomb.
bool isDecodable(const Header &header);

// The size a decode within the memory bound gives: the whole canvas up to kMaxDecodedPixels (a
// one-bit canvas up to kMaxCanvasPixels), else the largest reduction the format's reader makes
// while it reads. JPEG's reader reduces in one step only by a half, a quarter or an eighth; asked
// for any size between, it decodes the whole canvas first. An invalid size for a bomb.
QSize decodeSize(const Header &header);

// The image decoded within the memory bound: whole up to kMaxDecodedPixels (a one-bit canvas up
// to kMaxCanvasPixels), reduced while it is read beyond that. Every row is read, so a truncated
// file gives nothing, as do bytes that are no image and a bomb (refused from its header).
QImage decoded(const QByteArray &bytes);

// What the image's PNG (Qt's writer at its default level) would take, from a few bands of rows
// spread over its height, encoded the same way and scaled to the whole: some 1/kPngEstimateShare
// of the encode's work. Nothing for an image too short for bands of two rows.
inline constexpr int kPngEstimateBands = 8;
inline constexpr int kPngEstimateShare = 32;
std::optional<qint64> estimatedPngBytes(const QImage &image);
// A PNG estimated beyond the target by more than this factor is not tried: bands of an image
// that is not alike all over may miss by a good share, and a PNG tried in vain only costs time.
inline constexpr double kPngEstimateSlack = 1.5;

// Whether optimized() must decode and re-encode (the slow path worth a worker thread).
bool needsReencoding(const QByteArray &bytes);

// The bytes to keep for an image, or nothing when the image cannot be kept: above the ceiling,
// a bomb, or too large and not reducible within the target. A PNG whose estimate is well past
// the target is not made at all, and a re-encoding is given up at the first byte past the
// target, so a photo whose PNG cannot fit costs its decode and its JPEG.
std::optional<QByteArray> optimized(const QByteArray &bytes);

} // namespace ImageSizeRule
