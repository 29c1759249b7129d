#pragma once

#include "platform/PointerPresses.h"

#include <QSocketNotifier>

#include <memory>

class X11Connection;

// The user's button presses as XInput2 raw events on the root of a private connection: they come
// wherever the press lands, also while another client grabs the pointer, and no window's own
// event selection changes. The position is where the pointer is as the press is taken.
class X11PointerPresses : public PointerPresses {
    Q_OBJECT
public:
    explicit X11PointerPresses(QObject *parent = nullptr);
    ~X11PointerPresses() override;

    // False without a display or without XInput2 2.2: nothing is announced then.
    bool isListening() const { return m_events != nullptr; }
    void catchUp() override;

private:
    void takeEvents();

    std::unique_ptr<X11Connection> m_connection;
    std::unique_ptr<QSocketNotifier> m_events;
    int m_opcode = -1;
};
