#pragma once

#include <QByteArray>
#include <QFuture>
#include <QMimeData>
#include <QString>

// What the clipboard offers for one written image: its bytes as they are kept, under the type
// they truly have (a kept JPEG goes out as image/jpeg, never labelled PNG), and, for an image
// kept in another format, a PNG for the many programs that read only that. The PNG is made on a
// worker from the moment of the write, fast rather than small (PngEncoder), decoded within the
// memory bound, so a large picture neither freezes the write nor is refused and reaches a program
// that waits for it within its wait; another program's request for it is held back until it is
// ready (X11DeferredPngRequests), so that only a reader in this process ever waits for it.
// Bytes that are no image are offered unchanged as PNG.
class X11PasteboardImageOffer : public QMimeData {
    Q_OBJECT

public:
    explicit X11PasteboardImageOffer(const QByteArray &bytes);
    ~X11PasteboardImageOffer() override;

    // The type the bytes are offered under.
    QString mimeType() const { return m_mimeType; }

    // The PNG being made; not valid when the bytes are offered as PNG already.
    QFuture<QByteArray> png() const { return m_png; }

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    QByteArray m_bytes;
    QString m_mimeType;
    QFuture<QByteArray> m_png;
};
