#include "engine/ClipboardModel.h"

#include "core/CanonicalText.h"
#include "core/TypedTrigger.h"
#include "platform/KeySender.h"

#include <algorithm>

bool ClipboardModel::saveSnippet(const std::optional<QString> &id, const QString &name, const QString &trigger,
                                 const QString &text)
{
    const QString trimmedName = name.trimmed();
    const QString trimmedTrigger = trigger.trimmed();
    if (trimmedName.isEmpty() || text.trimmed().isEmpty())
        return false;
    if (!trimmedTrigger.isEmpty()) {
        const bool taken = std::any_of(m_snippets.cbegin(), m_snippets.cend(), [&](const ClipboardSnippet &other) {
            // Two spellings of the same letters are one trigger: both would expand on the same keys.
            return !(id && other.id == *id) && CanonicalText::equal(other.trigger, trimmedTrigger);
        });
        if (taken)
            return false;
    }
    QList<ClipboardSnippet> updated = m_snippets;
    const auto existing = std::find_if(updated.begin(), updated.end(),
                                       [&](const ClipboardSnippet &snippet) { return id && snippet.id == *id; });
    if (existing != updated.end()) {
        existing->name = trimmedName;
        existing->trigger = trimmedTrigger;
        existing->text = text;
    } else {
        updated.prepend(ClipboardSnippet{ClipboardEntry::newID(), trimmedName, trimmedTrigger, text});
    }
    setSnippets(updated);
    persistSnippets();
    return true;
}

void ClipboardModel::addSnippet(const ClipboardEntry &entry, const QString &name, const QString &trigger)
{
    if (entry.kind == ClipboardKind::Image || entry.kind == ClipboardKind::File)
        return;
    saveSnippet(std::nullopt, name, trigger, entry.text);
}

bool ClipboardModel::handleTypedKey(Qt::Key key, const std::optional<QString> &characters,
                                    Qt::KeyboardModifiers modifiers)
{
    const std::optional<TypedTrigger::Expansion> expansion =
        TypedTrigger::handleKey(m_typedBuffer, key, characters, modifiers, m_isQuickAccessPresented, m_snippets);
    if (!expansion)
        return false;
    const QString text = m_snippets.at(expansion->snippetIndex).text;
    if (m_keySender) {
        for (int i = 0; i < expansion->deleteCount; ++i)
            m_keySender->sendDelete();
    }
    // The trigger was typed into the application in front and the Backspace presses went
    // there, so the text goes there too, never to an application a panel hover remembered.
    pasteTextIntoFrontApplication(text);
    return true;
}
