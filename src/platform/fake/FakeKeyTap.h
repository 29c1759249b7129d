#pragma once

#include "platform/KeyTap.h"

// A key tap that tests feed by hand.
class FakeKeyTap : public KeyTap {
    Q_OBJECT
public:
    using KeyTap::KeyTap;

    bool isAvailable() const override { return m_available; }
    bool start() override;
    void stop() override { m_running = false; }
    bool isRunning() const override { return m_running; }

    // When false, start() fails and a running tap stops, like a revoked permission.
    void setAvailable(bool available);
    int startCount() const { return m_startCount; }
    // A key press in some application: is reported only while the tap runs.
    bool inject(const KeyTapEvent &event);
    // Presses of plain keys, one per character: the Qt key of a printable Latin character (Shift
    // for capitals), the unknown key for any other.
    void injectText(const QString &text);

private:
    bool m_available = true;
    bool m_running = false;
    int m_startCount = 0;
};
