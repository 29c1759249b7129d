#pragma once

#include "platform/KeySender.h"
#include "platform/Pasteboard.h"

#include <QList>

// Records every chord instead of typing it, and what the watched pasteboard held the moment it
// went out: the application that receives Ctrl+V reads the clipboard then, not later.
class FakeKeySender : public KeySender {
    Q_OBJECT
public:
    struct Sent {
        KeyChord chord;
        std::optional<qint64> targetPid;
        quint64 targetWindow = 0;
        bool operator==(const Sent &) const = default;
    };

    using KeySender::KeySender;

    bool post(const KeyPost &request) override;

    // When false, post() refuses like a session without synthetic keys.
    void setAvailable(bool available) { m_available = available; }
    // When true, every chord is given up, as when its target window cannot be activated.
    void setDropsChords(bool drops, KeyDropReason reason = KeyDropReason::NoTarget)
    {
        m_drops = drops;
        m_dropReason = reason;
    }
    // The pasteboard whose content each sent chord records; none records nothing.
    void watchPasteboard(const Pasteboard *pasteboard) { m_pasteboard = pasteboard; }
    const QList<Sent> &sentChords() const { return m_sent; }
    // The watched pasteboard's content as each sent chord went out, in the same order.
    const QList<PasteboardContent> &clipboardWhenSent() const { return m_clipboardWhenSent; }
    int count(KeyChord chord) const;
    void clear()
    {
        m_sent.clear();
        m_clipboardWhenSent.clear();
    }

private:
    QList<Sent> m_sent;
    QList<PasteboardContent> m_clipboardWhenSent;
    const Pasteboard *m_pasteboard = nullptr;
    bool m_available = true;
    bool m_drops = false;
    KeyDropReason m_dropReason = KeyDropReason::NoTarget;
};
