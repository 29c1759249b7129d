#include "platform/x11/X11BypassingDialogs.h"

#include "platform/PanelWindowTraits.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <X11/Xlib.h>

namespace {

Display *x11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool bypassesManager(const QWidget *window)
{
    return window->windowFlags().testFlag(Qt::BypassWindowManagerHint);
}

// The window the window was opened from: its parent's, or the one it names.
QWidget *openerOf(const QWidget *window)
{
    if (window->parentWidget())
        return window->parentWidget()->window();
    auto *named = window->property(PanelWindowTraits::openedFromProperty).value<QWidget *>();
    return named ? named->window() : nullptr;
}

// A top-level window of its own (not a menu, tooltip or splash) opened from a window that
// bypasses the manager, and managed itself so far.
bool isOpenedFromBypassingWindow(const QWidget *window)
{
    if (!window->isWindow() || bypassesManager(window))
        return false;
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Sheet && type != Qt::Tool)
        return false;
    const QWidget *opener = openerOf(window);
    return opener && bypassesManager(opener);
}

} // namespace

X11BypassingDialogs::X11BypassingDialogs() = default;

X11BypassingDialogs::~X11BypassingDialogs()
{
    if (m_started && qApp)
        qApp->removeEventFilter(this);
}

void X11BypassingDialogs::start()
{
    if (m_started || !qApp)
        return;
    m_started = true;
    qApp->installEventFilter(this);
}

bool X11BypassingDialogs::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide && type != QEvent::MouseButtonPress) || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (type == QEvent::Hide) {
        // The keyboard of a closed window beside the manager goes nowhere: its opener takes it back.
        QWidget *opener = widget->isWindow() ? openerOf(widget) : nullptr;
        if (opener && widget->property("tarnelBesideManager").toBool() && opener->isVisible()
            && QGuiApplication::focusWindow() == widget->windowHandle()) {
            // Announced before the keyboard moves, so that the opener's focus events are heard
            // from its first one on.
            Q_EMIT keyboardHandedBack(opener);
            // Handed on with the unmap, before a manager (marco) gives the keyboard the server
            // let go of to the topmost window it manages, a full-screen one under the opener.
            takeKeyboard(*opener);
        }
        if (opener && widget->property("tarnelBesideManager").toBool()) {
            QTimer::singleShot(0, opener, [this, opener, closed = QPointer<QWidget>(widget)] {
                const QWindow *focus = QGuiApplication::focusWindow();
                if (opener->isVisible() && (!focus || (closed && focus == closed->windowHandle())))
                    takeKeyboard(*opener);
            });
        }
        return false;
    }
    if (type == QEvent::MouseButtonPress) {
        // The manager gives a window the keyboard on a click; beside it, the window takes it.
        QWidget *window = widget->window();
        if (window->property("tarnelBesideManager").toBool() && !window->isActiveWindow())
            takeKeyboard(*window);
        return false;
    }
    if (!isOpenedFromBypassingWindow(widget))
        return false;
    // The show event comes after the window was made and before it is mapped: it maps beside
    // the manager, on top. Only the server is told: Qt would make the window anew for new flags.
    widget->overrideWindowFlags(widget->windowFlags() | Qt::BypassWindowManagerHint);
    Display *display = x11Display();
    if (display && widget->windowHandle()) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        XChangeWindowAttributes(display, Window(widget->windowHandle()->winId()), CWOverrideRedirect, &attributes);
    }
    widget->setProperty("tarnelBesideManager", true);
    if (!widget->testAttribute(Qt::WA_ShowWithoutActivating)) {
        QTimer::singleShot(0, widget, [this, window = QPointer<QWidget>(widget)] {
            if (window && window->isVisible())
                takeKeyboard(*window);
        });
    }
    return false;
}

void X11BypassingDialogs::takeKeyboard(QWidget &window)
{
    window.activateWindow();
    // A managed window gets the keyboard from the window manager, by Qt's own request.
    Display *display = x11Display();
    if (!display || !window.windowHandle() || !bypassesManager(&window))
        return;
    const auto id = Window(window.windowHandle()->winId());
    // A round trip: the window's map, still on its way with Qt's requests, is done by then.
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, id, &attributes) || attributes.map_state != IsViewable)
        return;
    // Dated by the server as it takes the request. A time read from a property change is no
    // substitute: the server stamps that with the time its last input or focus request left, which
    // may lie before the keyboard last changed hands, and the request would be ignored.
    XSetInputFocus(display, id, RevertToParent, CurrentTime);
    XFlush(display);
}
