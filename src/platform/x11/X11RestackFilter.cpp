#include "platform/x11/X11RestackFilter.h"

#include <QCoreApplication>

#include <utility>

#include <xcb/xcb.h>

X11RestackFilter::X11RestackFilter(std::function<bool(unsigned long)> isKept)
    : m_isKept(std::move(isKept))
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installNativeEventFilter(this);
}

X11RestackFilter::~X11RestackFilter()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

bool X11RestackFilter::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // A window unmapped or gone starts anew: its next first event is Qt's whatever it says.
    if (event->response_type == XCB_UNMAP_NOTIFY) {
        m_last.erase(reinterpret_cast<const xcb_unmap_notify_event_t *>(event)->window);
        return false;
    }
    if (event->response_type == XCB_DESTROY_NOTIFY) {
        m_last.erase(reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window);
        return false;
    }
    // One the manager sends itself (its high bit set) says where a framed window is: always
    // Qt's to hear.
    if (event->response_type != XCB_CONFIGURE_NOTIFY)
        return false;
    const auto *configured = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
    // Only a window beside the manager has its place on the root in the event itself.
    if (configured->event != configured->window || !configured->override_redirect || !m_isKept(configured->window))
        return false;
    return onlyRestacks(configured->window,
                        QRect(configured->x, configured->y, configured->width, configured->height),
                        configured->border_width);
}

bool X11RestackFilter::onlyRestacks(unsigned long window, const QRect &geometry, int border)
{
    const Shape now{geometry, border};
    const auto [last, first] = m_last.try_emplace(window, now);
    if (first)
        return false;
    return std::exchange(last->second, now) == now;
}
