#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

#include <vector>

// Keeps windows that bypass the window manager in front of the windows it manages. The
// manager stacks its own windows only; when it brings one to the top (a window mapped,
// activated or made full screen), it announces the new order on the root window, and each
// kept window is lifted over it again, or, when the window on top is one of this program's
// own, put right under that window.
class X11FrontKeeper : public QAbstractNativeEventFilter {
public:
    X11FrontKeeper() = default;
    ~X11FrontKeeper() override;
    X11FrontKeeper(const X11FrontKeeper &) = delete;
    X11FrontKeeper &operator=(const X11FrontKeeper &) = delete;

    void keep(QWidget &window);
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void liftWhereCovered();

    std::vector<QPointer<QWidget>> m_kept;
    bool m_listening = false;
    unsigned long m_stackingAtom = 0;
    unsigned long m_activeAtom = 0;
};
