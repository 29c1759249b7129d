#include "platform/fake/FakeKeyTap.h"

bool FakeKeyTap::start()
{
    if (m_running)
        return true;
    if (!m_available)
        return false;
    m_running = true;
    ++m_startCount;
    return true;
}

void FakeKeyTap::setAvailable(bool available)
{
    m_available = available;
    if (!available)
        m_running = false;
}

bool FakeKeyTap::inject(const KeyTapEvent &event)
{
    if (!m_running)
        return false;
    Q_EMIT keyPressed(event);
    return true;
}

void FakeKeyTap::injectText(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        KeyTapEvent event;
        // Qt numbers the printable Latin keys by their capital character.
        const char32_t upper = QChar::toUpper(c);
        if (upper >= char32_t(Qt::Key_Space) && upper <= char32_t(Qt::Key_AsciiTilde))
            event.key = Qt::Key(upper);
        if (QChar::isUpper(c))
            event.modifiers = Qt::ShiftModifier;
        event.characters = QString::fromUcs4(&c, 1);
        inject(event);
    }
}
