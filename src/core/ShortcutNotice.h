#pragma once

#include <QString>

// Notices about pasting and permissions that the model stores in its shortcut notice as Slovak
// base texts (the views translate them). Code that must recognise one compares with these
// constants, never with the opening words of a text.
namespace ShortcutNotice {

// Synthetic keys cannot reach other applications in this session: the content was put on the
// clipboard for the user to paste by hand.
inline QString staleTrust()
{
    return QStringLiteral("Tarnel v tejto relácii nemôže stláčať klávesy (potrebuje X11 s rozšírením XTest). "
                          "Položka je v schránke, vlož ju ručne.");
}

// A paste found no window of another application to type into: the one the user came from
// has quit or never took the keyboard back, and Tarnel never pastes into its own windows.
inline QString nothingPasted()
{
    return QStringLiteral("Nebolo kam vložiť: aplikácia, v ktorej si písal, sa zavrela alebo neprevzala klávesnicu. "
                          "Položka je v schránke, vlož ju ručne.");
}

// A paste into a terminal of what a terminal cannot take: it types text and the paths of
// files, never a picture.
inline QString nothingToPasteHere()
{
    return QStringLiteral("Terminál vpredu nevie prijať túto položku: vkladá sa doň len text a súbory. "
                          "Položka je v schránke, vlož ju inam.");
}

// The keys of the shortcut that asked for a paste stayed down: while they are, every key goes to
// the shortcut, so nothing was typed.
inline QString shortcutKeysHeld()
{
    return QStringLiteral("Nič sa nevložilo: klávesy skratky ostali stlačené. Pusti ich a skús to znova.");
}

// The notices of a paste whose keys never went out: the next paste that goes out ends them.
inline bool isPasteNotSent(const QString &notice)
{
    return notice == nothingPasted() || notice == nothingToPasteHere() || notice == shortcutKeysHeld();
}

// A copy shortcut found nothing it could copy without typing a key that the application in
// front might read otherwise (a terminal with no selection of its own).
inline QString nothingCopied()
{
    return QStringLiteral("Nič sa neskopírovalo: v aplikácii vpredu nie je označený text, ktorý by Tarnel vedel skopírovať. "
                          "Označ text a skús to znova.");
}

} // namespace ShortcutNotice
