#pragma once

#include "platform/KeySender.h"

#include <QList>

// Records every chord instead of typing it.
class FakeKeySender : public KeySender {
    Q_OBJECT
public:
    struct Sent {
        KeyChord chord;
        std::optional<qint64> targetPid;
        bool operator==(const Sent &) const = default;
    };

    using KeySender::KeySender;

    bool post(const KeyPost &request) override;

    // When false, post() refuses like a session without synthetic keys.
    void setAvailable(bool available) { m_available = available; }
    // When true, every chord is given up, as when its target window cannot be activated.
    void setDropsChords(bool drops) { m_drops = drops; }
    const QList<Sent> &sentChords() const { return m_sent; }
    int count(KeyChord chord) const;
    void clear() { m_sent.clear(); }

private:
    QList<Sent> m_sent;
    bool m_available = true;
    bool m_drops = false;
};
