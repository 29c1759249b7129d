#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QPointer>

#include <array>
#include <cstdint>

class X11PasteboardImageOffer;

// Holds back the requests for the PNG of a written image while its worker still makes it, so
// that the main thread never waits for a conversion that may take seconds (a photo of tens of
// megapixels). Qt serves the clipboard from the main thread and answers each request in full
// before it turns to the next event; a held request is handed back to Qt once the PNG is ready,
// and Qt then answers it from the finished bytes, in steps (INCR) when they exceed what one
// request to the server may carry. Every other request, and a PNG request once the PNG exists,
// goes to Qt untouched.
class X11DeferredPngRequests : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11DeferredPngRequests(QObject *parent = nullptr);
    ~X11DeferredPngRequests() override;

    // The image now offered on the clipboard; requests for its PNG wait until it is made.
    void watch(X11PasteboardImageOffer *offer);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    // A SelectionRequest event as the server sent it, to be sent again as it was.
    using Request = std::array<char, 32>;

    void release();

    void *m_connection = nullptr;
    quint32 m_clipboardAtom = 0;
    quint32 m_pngAtom = 0;
    quint32 m_multipleAtom = 0;
    QPointer<X11PasteboardImageOffer> m_offer;
    // The offer whose PNG m_watcher holds, compared only (it may be gone).
    const QObject *m_watched = nullptr;
    QFutureWatcher<QByteArray> m_watcher;
    QList<Request> m_held;
};
