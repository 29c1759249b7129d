#pragma once

#include <QByteArray>
#include <QImage>

// A PNG made fast enough to be offered the moment a program asks for it: a photo of tens of
// megapixels is filtered with one cheap filter (Up) and deflated at zlib's fastest level, in bands
// of rows on every core, the bands joined into one zlib stream. The file is a few per cent
// larger than at the default level, and made many times faster. Images of one bit or of indexed
// colours go through Qt's own writer, which keeps their small depth.
namespace PngEncoder {

// Below this many pixels an image is made in one band.
inline constexpr qint64 kPixelsPerBand = 2'000'000;

// The PNG of the image; empty when it is null or cannot be encoded.
QByteArray encoded(const QImage &image);

} // namespace PngEncoder
