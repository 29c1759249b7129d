#include "platform/fake/FakeKeySender.h"

#include <algorithm>

bool FakeKeySender::post(const KeyPost &request)
{
    if (!m_available)
        return false;
    if (m_drops) {
        Q_EMIT dropped(request.chord, request.token, m_dropReason);
        return true;
    }
    m_sent.append({request.chord, request.targetPid, request.targetWindow});
    m_clipboardWhenSent.append(m_pasteboard ? m_pasteboard->content() : PasteboardContent{});
    Q_EMIT sent(request.chord, request.token);
    return true;
}

int FakeKeySender::count(KeyChord chord) const
{
    return int(std::count_if(m_sent.cbegin(), m_sent.cend(), [chord](const Sent &s) { return s.chord == chord; }));
}
