#pragma once

#include "core/ShortcutNotice.h"

#include <QString>

// The notices that say synthetic keys cannot reach other applications. All of them stop being
// true the moment keys can be sent again, so the keyboard monitor clears any of them then;
// they are recognised by identity with these constants, never by their opening words.
namespace AccessibilityNotice {

// Paste next from the Paste Stack needs Ctrl+V.
inline QString pasteNeedsKeys()
{
    return QStringLiteral("Tarnel v tejto relácii nemôže vložiť položku stlačením Ctrl+V (potrebuje X11 s rozšírením XTest).");
}

// The two copy shortcuts need Ctrl+C.
inline QString copyNeedsKeys()
{
    return QStringLiteral("Táto skratka potrebuje, aby Tarnel stlačil Ctrl+C, a to táto relácia nedovoľuje (potrebné je X11 s rozšírením XTest).");
}

inline bool isAccessibilityNotice(const QString &notice)
{
    return notice == ShortcutNotice::staleTrust() || notice == pasteNeedsKeys() || notice == copyNeedsKeys();
}

} // namespace AccessibilityNotice
