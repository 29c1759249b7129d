#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <vector>

// Keeps windows that bypass the window manager in front of the windows it manages. The
// manager stacks its own windows only; when it brings one to the top (a window mapped,
// activated or made full screen), it announces the new order on the root window, and each
// kept window is lifted over it again, unless the window on top is one of this program's
// own that the kept window leaves over itself.
class X11FrontKeeper : public QAbstractNativeEventFilter {
public:
    X11FrontKeeper() = default;
    ~X11FrontKeeper() override;
    X11FrontKeeper(const X11FrontKeeper &) = delete;
    X11FrontKeeper &operator=(const X11FrontKeeper &) = delete;

    void keep(QWidget &window, const QStringList &coveredRoles);
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void liftWhereCovered();

    struct Kept {
        QPointer<QWidget> window;
        QStringList coveredRoles;
    };
    std::vector<Kept> m_kept;
    bool m_listening = false;
    unsigned long m_stackingAtom = 0;
    unsigned long m_activeAtom = 0;
};
