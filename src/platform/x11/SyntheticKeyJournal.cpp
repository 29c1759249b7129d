#include "platform/x11/SyntheticKeyJournal.h"

SyntheticKeyJournal &SyntheticKeyJournal::shared()
{
    static SyntheticKeyJournal journal;
    return journal;
}

void SyntheticKeyJournal::record(unsigned keycode, bool press, Clock::time_point at)
{
    forgetOld(at);
    m_entries.append({keycode, press, at});
}

bool SyntheticKeyJournal::consume(unsigned keycode, bool press, Clock::time_point at)
{
    forgetOld(at);
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].keycode == keycode && m_entries[i].press == press) {
            m_entries.removeAt(i);
            return true;
        }
    }
    return false;
}

int SyntheticKeyJournal::pending(Clock::time_point at)
{
    forgetOld(at);
    return int(m_entries.size());
}

void SyntheticKeyJournal::forgetOld(Clock::time_point now)
{
    m_entries.removeIf([now](const Entry &entry) { return now - entry.at > kEntryLifetime; });
}
