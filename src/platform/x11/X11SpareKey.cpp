#include "platform/x11/X11SpareKey.h"

#include "core/Logging.h"
#include "platform/x11/X11KeyLookup.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

X11SpareKey::X11SpareKey(Display *display)
    : m_display(display)
{
    m_release.setSingleShot(true);
    m_release.setInterval(kHold);
    QObject::connect(&m_release, &QTimer::timeout, &m_release, [this] { release(); });
}

X11SpareKey::~X11SpareKey()
{
    release();
}

unsigned X11SpareKey::bind(quint32 keysym, const X11KeyLookup &lookup)
{
    if (!m_display)
        return 0;
    // A new keyboard map (a layout switch) may have taken the binding back meanwhile.
    if (m_keycode != 0 && lookup.keysymAt(m_keycode) != m_keysym) {
        m_keysym = 0;
        X11KeyLookup::setBorrowedKeycode(0);
        if (lookup.keysymAt(m_keycode) != 0)
            m_keycode = 0;
    }
    if (m_keycode == 0)
        m_keycode = lookup.spareKeycode();
    if (m_keycode == 0) {
        qCInfo(lcPlatform) << "KeySender: the keyboard has no spare key to type a letter its map lacks";
        return 0;
    }
    if (m_keysym != keysym) {
        KeySym lower = 0, upper = 0;
        XConvertCase(keysym, &lower, &upper);
        KeySym symbols[] = {lower, upper};
        XChangeKeyboardMapping(m_display, int(m_keycode), 2, symbols, 1);
        m_keysym = keysym;
        X11KeyLookup::setBorrowedKeycode(m_keycode);
    }
    XSync(m_display, False);
    m_release.start();
    return m_keycode;
}

void X11SpareKey::release()
{
    m_release.stop();
    if (!m_display || m_keycode == 0 || m_keysym == 0)
        return;
    KeySym nothing = NoSymbol;
    XChangeKeyboardMapping(m_display, int(m_keycode), 1, &nothing, 1);
    XSync(m_display, False);
    m_keysym = 0;
    X11KeyLookup::setBorrowedKeycode(0);
}
