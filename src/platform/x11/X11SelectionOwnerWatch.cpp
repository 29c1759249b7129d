#include "platform/x11/X11SelectionOwnerWatch.h"

#include "core/Logging.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

X11SelectionOwnerWatch::X11SelectionOwnerWatch(const QByteArray &selection, QObject *parent)
    : QObject(parent)
    , m_selection(selection)
{
    Display *display = m_connection.display();
    if (!display || selection.isEmpty())
        return;
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &m_xfixesEventBase, &errorBase)) {
        qCWarning(lcPlatform) << "SelectionOwnerWatch: the display cannot report selection owners;" << selection
                              << "is taken as unowned";
        return;
    }
    int major = 0, minor = 0;
    XFixesQueryVersion(display, &major, &minor);
    m_atom = m_connection.atom(selection.constData());
    // Subscribe before asking, so that a change between the two is not lost.
    XFixesSelectSelectionInput(display, m_connection.rootWindow(), m_atom,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                   | XFixesSelectionClientCloseNotifyMask);
    m_owner = quint32(XGetSelectionOwner(display, m_atom));
    m_watching = true;
    m_notifier = std::make_unique<QSocketNotifier>(m_connection.fileDescriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11SelectionOwnerWatch::readEvents);
    // The round trip above may have queued events already, where the socket shows nothing.
    readEvents();
}

X11SelectionOwnerWatch::~X11SelectionOwnerWatch() = default;

QByteArray X11SelectionOwnerWatch::screenSelection(const QByteArray &prefix)
{
    X11Connection connection;
    if (!connection.isOpen())
        return {};
    return prefix + QByteArray::number(DefaultScreen(connection.display()));
}

void X11SelectionOwnerWatch::readEvents()
{
    Display *display = m_connection.display();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != m_xfixesEventBase + XFixesSelectionNotify)
            continue;
        const auto &notify = reinterpret_cast<const XFixesSelectionNotifyEvent &>(event);
        if (notify.selection != m_atom)
            continue;
        const auto owner = quint32(notify.subtype == XFixesSetSelectionOwnerNotify ? notify.owner : 0);
        // A new claim is news even by the window that held it already (a manager that claimed
        // it again); a loss that was already reported is not.
        if (owner == m_owner && owner == 0)
            continue;
        m_owner = owner;
        Q_EMIT ownerChanged(owner);
    }
}
