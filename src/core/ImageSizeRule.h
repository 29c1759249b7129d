#pragma once

#include <QByteArray>
#include <QSize>

#include <optional>

// The size rule for images that enter the history: nothing above the ceiling is ever decoded,
// small images are kept byte for byte, larger ones are re-encoded (PNG first, then JPEG) and kept
// only if the result fits the target. Every function is thread-safe, so the slow path can run on
// a worker thread.
namespace ImageSizeRule {

inline constexpr qint64 kCeilingBytes = 100'000'000;
inline constexpr qint64 kTargetBytes = 15'000'000;
inline constexpr int kJpegQuality = 82;
// A small file can still declare a huge canvas (a decompression bomb): such images are refused
// from their header alone, before any pixel is decoded.
inline constexpr qint64 kMaxPixels = 64'000'000;
// Upper bound for one decode, in megabytes (Qt's allocation limit unit): the largest accepted
// canvas at four bytes per pixel, with some room.
inline constexpr int kDecodeAllocationLimitMB = 300;

// The canvas size that the image's header declares, without decoding pixels; nothing when the
// bytes are not a readable image.
std::optional<QSize> declaredSize(const QByteArray &bytes);

// Whether the header check passes: a readable image whose canvas stays within kMaxPixels.
bool hasAcceptableCanvas(const QByteArray &bytes);

// Whether optimized() must decode and re-encode (the slow path worth a worker thread).
bool needsReencoding(const QByteArray &bytes);

// The bytes to keep for an image, or nothing when the image cannot be kept.
std::optional<QByteArray> optimized(const QByteArray &bytes);

} // namespace ImageSizeRule
