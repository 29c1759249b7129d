#include "platform/x11/X11DeferredPngRequests.h"

#include "core/HeapRelease.h"
#include "core/Logging.h"
#include "platform/x11/X11PasteboardImageOffer.h"
#include "platform/x11/XcbAtoms.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtConcurrent/QtConcurrentRun>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstring>

X11DeferredPngRequests::X11DeferredPngRequests(QObject *parent)
    : QObject(parent)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return;
    auto *connection = x11->connection();
    m_connection = connection;
    m_clipboardAtom = XcbAtoms::intern(connection, QByteArrayLiteral("CLIPBOARD"));
    m_pngAtom = XcbAtoms::intern(connection, QByteArrayLiteral("image/png"));
    m_multipleAtom = XcbAtoms::intern(connection, QByteArrayLiteral("MULTIPLE"));
    connect(&m_watcher, &QFutureWatcher<QByteArray>::finished, this, &X11DeferredPngRequests::release);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11DeferredPngRequests::~X11DeferredPngRequests()
{
    if (!m_connection)
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    // No requester is left waiting: whatever Qt owns by now answers them, or refuses them.
    m_offer.clear();
    release();
}

void X11DeferredPngRequests::watch(X11PasteboardImageOffer *offer)
{
    m_offer = offer;
    m_watched = offer;
    m_watcher.setFuture(offer ? offer->png() : QFuture<QByteArray>());
    // An offer replaced or dropped before its PNG was made leaves its requests to what Qt owns
    // now. Once the clipboard holds something else, its PNG (tens of megabytes for a photo) is
    // no longer kept here either.
    if (offer) {
        connect(offer, &QObject::destroyed, this, [this, offer] {
            if (m_watched == offer) {
                m_watched = nullptr;
                m_watcher.setFuture(QFuture<QByteArray>());
                (void)QtConcurrent::run(&HeapRelease::giveBackFreeMemory);
            }
            release();
        });
    }
    release();
}

bool X11DeferredPngRequests::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_offer)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_SELECTION_REQUEST)
        return false;
    const auto *request = reinterpret_cast<const xcb_selection_request_event_t *>(event);
    // A MULTIPLE request may name the PNG among its targets; Qt would answer it all at once.
    if (request->selection != m_clipboardAtom || (request->target != m_pngAtom && request->target != m_multipleAtom))
        return false;
    const QFuture<QByteArray> png = m_offer->png();
    if (!png.isValid() || png.isFinished())
        return false;
    Request held{};
    std::memcpy(held.data(), request, sizeof(xcb_selection_request_event_t));
    m_held.append(held);
    qCDebug(lcPlatform) << "a request for the PNG waits until it is made";
    return true;
}

void X11DeferredPngRequests::release()
{
    if (m_held.isEmpty())
        return;
    if (m_offer && m_offer->png().isValid() && !m_offer->png().isFinished())
        return;
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    // Sent to Qt's own window, which made them arrive from the server again, as they came.
    for (const Request &request : std::as_const(m_held)) {
        const auto *event = reinterpret_cast<const xcb_selection_request_event_t *>(request.data());
        xcb_send_event(connection, 0, event->owner, XCB_EVENT_MASK_NO_EVENT, request.data());
    }
    m_held.clear();
    xcb_flush(connection);
}
