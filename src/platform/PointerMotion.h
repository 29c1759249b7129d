#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

// Event source on where the user's pointer goes, told by the desktop about the pointer itself
// rather than by the windows it crosses: a desktop shell may keep the crossing events at the top
// edge from every other window, one stacked over it included. Only the positions within a watched
// area are announced, and the first one outside it after them, so that the watcher sees the
// pointer come and go; a pointer elsewhere costs little and one at rest nothing. A desktop that
// cannot tell never announces anything; the base class is that silent source.
class PointerMotion : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PointerMotion() override = default;

    // The area, in global coordinates, whose positions are announced from now on; empty: none.
    virtual void watch(const QRect &area) { m_area = area; }
    QRect watchedArea() const { return m_area; }

Q_SIGNALS:
    void moved(QPoint globalPosition);

private:
    QRect m_area;
};
