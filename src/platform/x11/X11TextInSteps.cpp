#include "platform/x11/X11TextInSteps.h"

#include "core/Logging.h"
#include "platform/x11/XcbAtoms.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>

namespace {

// The requestor's window may be gone at any step: its errors are nobody's news.
void changeProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                    quint8 format, quint32 count, const void *data)
{
    const xcb_void_cookie_t cookie =
        xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, window, property, type, format, count, data);
    xcb_discard_reply(connection, cookie.sequence);
}

void watchProperties(xcb_connection_t *connection, xcb_window_t window, bool watch)
{
    const quint32 mask = watch ? XCB_EVENT_MASK_PROPERTY_CHANGE : XCB_EVENT_MASK_NO_EVENT;
    const xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_discard_reply(connection, cookie.sequence);
}

} // namespace

X11TextInSteps::X11TextInSteps(QObject *parent)
    : QObject(parent)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return;
    auto *connection = x11->connection();
    m_connection = connection;
    m_clipboardAtom = XcbAtoms::intern(connection, QByteArrayLiteral("CLIPBOARD"));
    m_utf8Atom = XcbAtoms::intern(connection, QByteArrayLiteral("UTF8_STRING"));
    m_plainUtf8Atom = XcbAtoms::intern(connection, QByteArrayLiteral("text/plain;charset=utf-8"));
    m_incrAtom = XcbAtoms::intern(connection, QByteArrayLiteral("INCR"));
    const xcb_setup_t *setup = xcb_get_setup(connection);
    m_ownIdBase = setup->resource_id_base;
    m_ownIdMask = setup->resource_id_mask;
    m_stalls.setInterval(kStepTimeout);
    connect(&m_stalls, &QTimer::timeout, this, &X11TextInSteps::dropStalled);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11TextInSteps::~X11TextInSteps()
{
    if (!m_connection)
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    while (!m_transfers.empty())
        end(m_transfers.begin()->first);
    xcb_flush(static_cast<xcb_connection_t *>(m_connection));
}

void X11TextInSteps::offer(const QString &text)
{
    // Only a text too long for one step is answered here; the bytes are made once a write.
    m_offered = text.size() * 3 > kStepBytes ? text.toUtf8() : QByteArray();
    if (m_offered.size() <= kStepBytes)
        m_offered.clear();
}

bool X11TextInSteps::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_connection)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & ~0x80) {
    case XCB_SELECTION_REQUEST:
        return begin(event);
    case XCB_PROPERTY_NOTIFY: {
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        const Key key{notify->window, notify->atom};
        // The program took the step before: the next one goes in its place.
        if (notify->state != XCB_PROPERTY_DELETE || m_transfers.find(key) == m_transfers.end())
            return false;
        step(key);
        return true;
    }
    default:
        return false;
    }
}

bool X11TextInSteps::begin(const void *message)
{
    const auto *request = static_cast<const xcb_selection_request_event_t *>(message);
    if (m_offered.isEmpty() || request->selection != m_clipboardAtom
        || (request->target != m_utf8Atom && request->target != m_plainUtf8Atom))
        return false;
    // A window of Tarnel's own: what the steps watch on it would replace what Qt watches.
    if ((request->requestor & ~m_ownIdMask) == m_ownIdBase)
        return false;
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    // A requestor of the time before properties were named gets the answer in the target's.
    const xcb_atom_t property = request->property != XCB_ATOM_NONE ? request->property : request->target;
    const Key key{request->requestor, property};
    m_transfers[key] = Transfer{m_offered, 0, request->target, std::chrono::steady_clock::now()};
    // Its deletions of each step are what the next one waits for.
    watchProperties(connection, request->requestor, true);
    const quint32 size = quint32(m_offered.size());
    changeProperty(connection, request->requestor, property, m_incrAtom, 32, 1, &size);
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request->time;
    notify.requestor = request->requestor;
    notify.selection = request->selection;
    notify.target = request->target;
    notify.property = property;
    const xcb_void_cookie_t sent = xcb_send_event_checked(connection, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                                                          reinterpret_cast<const char *>(&notify));
    xcb_discard_reply(connection, sent.sequence);
    xcb_flush(connection);
    if (!m_stalls.isActive())
        m_stalls.start();
    qCDebug(lcPlatform) << "a long text is handed over in steps:" << size << "bytes";
    return true;
}

void X11TextInSteps::step(const Key &key)
{
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    Transfer &transfer = m_transfers.at(key);
    const qsizetype left = transfer.bytes.size() - transfer.sent;
    if (left == 0) {
        // An empty step tells the program the text is whole.
        changeProperty(connection, key.first, key.second, transfer.type, 8, 0, nullptr);
        end(key);
        xcb_flush(connection);
        return;
    }
    // The program joins the steps before it decodes them: one may end inside a character.
    const qsizetype count = std::min(left, kStepBytes);
    changeProperty(connection, key.first, key.second, transfer.type, 8, quint32(count),
                   transfer.bytes.constData() + transfer.sent);
    transfer.sent += count;
    transfer.lastStep = std::chrono::steady_clock::now();
    xcb_flush(connection);
}

void X11TextInSteps::end(const Key &key)
{
    m_transfers.erase(key);
    const bool windowStillReads = std::any_of(m_transfers.begin(), m_transfers.end(),
                                              [&](const auto &transfer) { return transfer.first.first == key.first; });
    if (!windowStillReads)
        watchProperties(static_cast<xcb_connection_t *>(m_connection), key.first, false);
    if (m_transfers.empty())
        m_stalls.stop();
}

void X11TextInSteps::dropStalled()
{
    const auto now = std::chrono::steady_clock::now();
    for (auto it = m_transfers.begin(); it != m_transfers.end();) {
        const Key key = it->first;
        const bool stalled = now - it->second.lastStep >= kStepTimeout;
        ++it;
        if (stalled) {
            qCInfo(lcPlatform) << "A program stopped taking a long text from the clipboard; given up";
            end(key);
        }
    }
    xcb_flush(static_cast<xcb_connection_t *>(m_connection));
}
