#pragma once

#include <QRect>

#include <vector>

// What is known of each child of the root, bottom-most first, followed through the root's
// structure events. Restacking a window (a drag, a raise) then asks nothing of the server: only
// a window that comes or maps is read, once.
class X11StackingOrder {
public:
    struct TopLevel {
        unsigned long window = 0;
        bool overrideRedirect = false;
        bool inputOnly = false;
        bool mapped = false;
        // Whether it was read since it last mapped (what it holds may have changed meanwhile).
        bool examined = false;
        // The window inside (or the window itself) that carries WM_STATE: a frame of the
        // manager's or a window it manages; 0 when none does.
        unsigned long client = 0;
        QRect geometry;

        bool isManaged() const { return !overrideRedirect || client != 0; }
        bool operator==(const TopLevel &) const = default;
    };

    void reset(std::vector<TopLevel> windows);
    const std::vector<TopLevel> &windows() const { return m_windows; }
    TopLevel *find(unsigned long window);
    const TopLevel *find(unsigned long window) const;
    // The root child that is the window or holds it as its managed client; 0 when none.
    unsigned long holderOf(unsigned long window) const;
    // A window that came to the root goes on top; one already known keeps its place.
    void add(const TopLevel &window);
    void remove(unsigned long window);
    // Puts the window directly above `sibling` (0: at the bottom); whether its place changed.
    bool restack(unsigned long window, unsigned long sibling);
    // Puts the window on top or at the bottom; whether its place changed.
    bool circulate(unsigned long window, bool onTop);
    // The window's place from the bottom; -1 when unknown.
    int indexOf(unsigned long window) const;

private:
    std::vector<TopLevel> m_windows;
};
