#pragma once

#include <QList>

#include <chrono>

// The key events Tarnel itself typed. The key tap meets them again as ordinary key events from
// the server's XTest device, the same device that other tools (xdotool) type through; each event
// sent is written here and crossed off by the first matching event the tap sees, so that the
// tap can leave out exactly Tarnel's own keys.
class SyntheticKeyJournal {
public:
    using Clock = std::chrono::steady_clock;
    // An entry not seen by then was never delivered (the tap was not running); it is forgotten.
    static constexpr std::chrono::milliseconds kEntryLifetime{2000};

    // The one journal of this process, shared by the key sender and the key tap.
    static SyntheticKeyJournal &shared();

    void record(unsigned keycode, bool press, Clock::time_point at = Clock::now());
    // Crosses off the oldest live entry for this key event; true when there was one.
    bool consume(unsigned keycode, bool press, Clock::time_point at = Clock::now());
    int pending(Clock::time_point at = Clock::now());
    void clear() { m_entries.clear(); }

private:
    struct Entry {
        unsigned keycode;
        bool press;
        Clock::time_point at;
    };
    void forgetOld(Clock::time_point now);

    QList<Entry> m_entries;
};
