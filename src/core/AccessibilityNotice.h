#pragma once

#include "core/ShortcutNotice.h"

#include <QString>

// The notices of shortcuts that need synthetic keys this session cannot send; they are
// recognised by identity with these constants, never by their opening words.
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

} // namespace AccessibilityNotice
