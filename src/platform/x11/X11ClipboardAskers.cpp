#include "platform/x11/X11ClipboardAskers.h"

#include "platform/x11/XcbAtoms.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>


X11ClipboardAskers::X11ClipboardAskers()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return;
    xcb_connection_t *connection = x11->connection();
    m_idMask = xcb_get_setup(connection)->resource_id_mask;
    m_clipboardAtom = XcbAtoms::intern(connection, QByteArrayLiteral("CLIPBOARD"));
    if (m_clipboardAtom == XCB_ATOM_NONE)
        return;
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_installed = true;
}

X11ClipboardAskers::~X11ClipboardAskers()
{
    if (m_installed && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11ClipboardAskers::hasAsked(quint64 window) const
{
    return window != 0 && m_clients.contains(clientOf(window));
}

bool X11ClipboardAskers::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_SELECTION_REQUEST)
        return false;
    const auto *request = reinterpret_cast<const xcb_selection_request_event_t *>(event);
    if (request->selection == m_clipboardAtom)
        m_clients.insert(clientOf(request->requestor));
    // Only noted: Qt answers it as ever.
    return false;
}
