#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

// Keeps a window that bypasses the window manager (the notch panel) at its place in the real
// stacking order, the root's children as the server holds them: directly above the topmost
// window the manager stacks (full-screen ones included), under every window the program opened
// from or over it, and never over another program's window that bypasses the manager (its
// menus, tooltips, a lock screen or a screen saver). The program's own windows are told apart
// by who created them, not by a process id a window may lack; those the panel stands above
// (the settings, the guide) are named, all others of the program stand above the panel; a named
// one the user just opened stands over it until the panel is brought to the front again. The
// order is followed through the root's map, unmap and configure events and read back from the
// server; the panel is moved only when it stands elsewhere, so the manager is never answered
// with a move of its own. While another program's window covers the screen, a window of the
// program that maps over it is put under it.
class X11FrontKeeper : public QAbstractNativeEventFilter {
public:
    X11FrontKeeper();
    ~X11FrontKeeper() override;
    X11FrontKeeper(const X11FrontKeeper &) = delete;
    X11FrontKeeper &operator=(const X11FrontKeeper &) = delete;

    void keep(QWidget &window);
    void keepUnder(QWidget &window);
    // A window named by keepUnder that the user just opened stands over the kept windows until
    // they are brought to the front again.
    void liftOver(QWidget &window);
    // Puts the kept windows at their places now.
    void placeNow();
    // Brings the kept windows over every window named by keepUnder again, and places them.
    void bringToFront();
    // Whether another program's window that bypasses the manager covers the whole screen.
    bool isScreenCovered() const;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void listen();
    bool isOwn(unsigned long window) const;

    std::vector<QPointer<QWidget>> m_kept;
    std::vector<QPointer<QWidget>> m_under;
    std::vector<QPointer<QWidget>> m_lifted;
    QTimer m_placing;
    bool m_listening = false;
    unsigned long m_stackingAtom = 0;
    unsigned long m_activeAtom = 0;
    unsigned int m_idBase = 0;
    unsigned int m_idMask = 0;
};
