#pragma once

#include "platform/PointerMotion.h"

#include <QPoint>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>

class X11Connection;

// The pointer's moves as XInput2 raw motion on the root of a private connection: they come
// wherever the pointer is, over any window and during any grab, and no window's own event
// selection changes; a pointer at rest sends nothing. A raw event says nothing of where the
// pointer is, so the server is asked then. Near the watched area every move is looked at; far
// from it the moves are not heard, and the pointer is looked at once a pace until it rests (the
// next move is heard then) or comes near. Nothing watched, nothing is heard.
class X11PointerMotion : public PointerMotion {
    Q_OBJECT
public:
    // Within this distance of the watched area every move is looked at; beyond it the pointer
    // needs a while to arrive, and a look a pace is enough.
    static constexpr int kNearDistance = 160;
    static constexpr std::chrono::milliseconds kFarLookPace{40};

    explicit X11PointerMotion(QObject *parent = nullptr);
    ~X11PointerMotion() override;

    // False without a display or without XInput2 2.2: nothing is announced then.
    bool isListening() const { return m_events != nullptr; }
    void watch(const QRect &area) override;
    // The root's child the pointer was over at the last look outside the watched area (0: over
    // the root itself, or never looked at): where it came from when it is inside now. The moves
    // near the area are all looked at, so it is the window beside the area the pointer crossed.
    unsigned long lastOverOutside() const { return m_overOutside; }

private:
    void takeEvents();
    // Hears the pointer's moves from now on, or not.
    void listen(bool on);
    void look();
    void lookAndPace();
    // Stops hearing the moves for a pace when the pointer is far from the area.
    void pace();
    void lookAgain();

    std::unique_ptr<X11Connection> m_connection;
    std::unique_ptr<QSocketNotifier> m_events;
    int m_opcode = -1;
    QTimer m_lateLook;
    bool m_listening = false;
    QPoint m_last{-1, -1};
    bool m_wasInside = false;
    // The root's child under the pointer at the last look outside the area.
    unsigned long m_overOutside = 0;
};
