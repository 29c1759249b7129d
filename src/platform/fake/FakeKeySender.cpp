#include "platform/fake/FakeKeySender.h"

#include <algorithm>

bool FakeKeySender::post(KeyChord chord, std::optional<qint64> targetPid)
{
    if (!m_available)
        return false;
    m_sent.append({chord, targetPid});
    emit sent(chord);
    return true;
}

int FakeKeySender::count(KeyChord chord) const
{
    return int(std::count_if(m_sent.cbegin(), m_sent.cend(), [chord](const Sent &s) { return s.chord == chord; }));
}
