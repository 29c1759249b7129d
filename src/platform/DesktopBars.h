#pragma once

#include <QObject>
#include <QRect>

// What the desktop's own bars (a top panel with its clock, a dock) hold at the top of a screen,
// as the desktop publishes it: a window placed at the top there hangs from their lower edge, so
// that the bar stays whole and usable. A desktop that publishes nothing leaves the top free; the
// base class is that desktop.
class DesktopBars : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DesktopBars() override = default;

    // The highest row, in global coordinates, at which a window over the columns left to right
    // (inclusive) at the top of the screen covers no bar: the screen's own top where no bar holds
    // those columns, or where a full-screen window is in front and covers the bars itself.
    virtual int freeTop(const QRect &screen, int left, int right) const
    {
        Q_UNUSED(left);
        Q_UNUSED(right);
        return screen.top();
    }

Q_SIGNALS:
    // The bars or what covers them may have changed: ask again.
    void changed();
};
