#pragma once

#include "platform/x11/X11Connection.h"

#include <QByteArray>
#include <QObject>

#include <memory>

class QSocketNotifier;

// Follows who owns one X selection (a manager selection such as _NET_WM_CM_S0 or
// _NET_SYSTEM_TRAY_S0, or any other), over a connection of its own. The server tells us of every
// change through XFixes, so nothing is polled and an idle desktop costs no wake-ups.
class X11SelectionOwnerWatch : public QObject {
    Q_OBJECT
public:
    // Starts watching at once; owner() is the owner at that moment.
    explicit X11SelectionOwnerWatch(const QByteArray &selection, QObject *parent = nullptr);
    ~X11SelectionOwnerWatch() override;

    // The name of a per-screen manager selection, prefix plus the default screen's number
    // ("_NET_WM_CM_S" gives "_NET_WM_CM_S0"); empty without a display.
    static QByteArray screenSelection(const QByteArray &prefix);

    QByteArray selection() const { return m_selection; }
    // False when there is no display or it cannot report ownership (no XFixes): owner() then
    // stays 0 and ownerChanged never comes.
    bool isWatching() const { return m_watching; }
    // The window that owns the selection, 0 when nobody does.
    quint32 owner() const { return m_owner; }
    bool hasOwner() const { return m_owner != 0; }

Q_SIGNALS:
    // A client took the selection (owner is its window), or the owner gave it up, closed its
    // window or its connection (owner is 0).
    void ownerChanged(quint32 owner);

private:
    void readEvents();

    QByteArray m_selection;
    X11Connection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    unsigned long m_atom = 0;
    int m_xfixesEventBase = 0;
    bool m_watching = false;
    quint32 m_owner = 0;
};
