#pragma once

#include <QAbstractNativeEventFilter>
#include <QSet>
#include <QtGlobal>

// The programs that asked the clipboard for what Tarnel offers there (its types or its content)
// since Tarnel last wrote it. Some programs ask the new owner for its types at every change and
// enable their own paste command only on the answer: gnome-terminal ignores its Ctrl+Shift+V
// until then. A paste chord typed before such a program has been answered is lost, so the chord
// waits for that answer. Qt answers on the main thread right after this filter has seen the
// request, in the same turn of the event loop: anything that runs on a later turn finds it
// answered.
class X11ClipboardAskers : public QAbstractNativeEventFilter {
public:
    X11ClipboardAskers();
    ~X11ClipboardAskers() override;
    X11ClipboardAskers(const X11ClipboardAskers &) = delete;
    X11ClipboardAskers &operator=(const X11ClipboardAskers &) = delete;

    // A new write: what was asked before is about another content.
    void forget() { m_clients.clear(); }
    // Whether the program that created `window` (one of its windows, its top-level one say)
    // asked since the last write. Programs ask from windows of their own, never the top-level
    // one; all of one program's windows share the range of ids the server gave its connection.
    bool hasAsked(quint64 window) const;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    quint32 clientOf(quint64 window) const { return quint32(window) & ~m_idMask; }

    bool m_installed = false;
    quint32 m_clipboardAtom = 0;
    quint32 m_idMask = 0;
    QSet<quint32> m_clients;
};
