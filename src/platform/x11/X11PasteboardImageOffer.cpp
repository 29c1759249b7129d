#include "platform/x11/X11PasteboardImageOffer.h"

#include "core/HeapRelease.h"
#include "core/ImageSizeRule.h"
#include "core/Logging.h"
#include "core/PngEncoder.h"

#include <QImage>
#include <QMimeDatabase>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString kPng = QStringLiteral("image/png");

QString imageTypeOf(const QByteArray &bytes)
{
    const std::optional<ImageSizeRule::Header> header = ImageSizeRule::header(bytes);
    if (!header)
        return {};
    const QString sniffed = QMimeDatabase().mimeTypeForData(bytes).name();
    return sniffed.startsWith(QLatin1String("image/")) ? sniffed : QStringLiteral("image/") + QString::fromLatin1(header->format);
}

// Made fast rather than small: the program that pastes waits for it (a Qt program five seconds
// at most, frozen meanwhile), and a photo's PNG at the default level takes ten seconds and more.
QByteArray pngOf(const QByteArray &bytes)
{
    QByteArray png = PngEncoder::encoded(ImageSizeRule::decoded(bytes));
    // The decoded picture and the encoder's buffers are freed by now; their pages go back to the
    // system beside the PNG's delivery, not before it.
    (void)QtConcurrent::run(&HeapRelease::giveBackFreeMemory);
    if (png.isEmpty())
        qCWarning(lcPlatform) << "the pasted image could not be offered as PNG; offered in its own type only";
    return png;
}

} // namespace

X11PasteboardImageOffer::X11PasteboardImageOffer(const QByteArray &bytes)
    : m_bytes(bytes)
    , m_mimeType(imageTypeOf(bytes))
{
    if (m_mimeType.isEmpty())
        m_mimeType = kPng;
    else if (m_mimeType != kPng)
        m_png = QtConcurrent::run(pngOf, bytes);
}

// A conversion still running finishes on its worker; its result is dropped.
X11PasteboardImageOffer::~X11PasteboardImageOffer() = default;

QStringList X11PasteboardImageOffer::formats() const
{
    QStringList types{m_mimeType};
    if (m_png.isValid())
        types.append(kPng);
    return types;
}

bool X11PasteboardImageOffer::hasFormat(const QString &mimeType) const
{
    return formats().contains(mimeType);
}

QVariant X11PasteboardImageOffer::retrieveData(const QString &mimeType, QMetaType) const
{
    if (mimeType == m_mimeType)
        return m_bytes;
    if (mimeType == kPng && m_png.isValid()) {
        const QByteArray png = m_png.result();
        return png.isEmpty() ? QVariant() : QVariant(png);
    }
    return {};
}
