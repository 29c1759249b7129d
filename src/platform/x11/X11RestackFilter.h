#pragma once

#include <QAbstractNativeEventFilter>
#include <QRect>

#include <functional>
#include <map>

// Keeps from Qt the configure events of the kept windows that only restack them. Qt asks the
// server where a top-level window is at each configure event it gets, and waits for the answer:
// beside a window that raises itself a hundred times a second, each raise that the panel is put
// back over costs the main thread a wait for the server, though nothing of the panel changed.
// Only a window beside the manager is kept from, whose event says where it is on the root; the
// first event after it maps, and one that moves or resizes it, reach Qt as always.
class X11RestackFilter : public QAbstractNativeEventFilter {
public:
    // isKept: whether a window (by its id) is one the keeper moves.
    explicit X11RestackFilter(std::function<bool(unsigned long)> isKept);
    ~X11RestackFilter() override;
    X11RestackFilter(const X11RestackFilter &) = delete;
    X11RestackFilter &operator=(const X11RestackFilter &) = delete;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    // Whether the configure event of window with this geometry and border only restacks it; the
    // geometry is remembered either way.
    bool onlyRestacks(unsigned long window, const QRect &geometry, int border);

    struct Shape {
        QRect geometry;
        int border = 0;
        bool operator==(const Shape &) const = default;
    };
    std::function<bool(unsigned long)> m_isKept;
    std::map<unsigned long, Shape> m_last;
};
