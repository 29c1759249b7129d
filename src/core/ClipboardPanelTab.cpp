#include "core/ClipboardPanelTab.h"

#include "core/L10n.h"

QString title(ClipboardPanelTab tab)
{
    switch (tab) {
    case ClipboardPanelTab::Clipboard:
        return L10n::text(QStringLiteral("Schránka"));
    case ClipboardPanelTab::PasteStack:
        return QStringLiteral("Paste Stack");
    case ClipboardPanelTab::History:
        return L10n::text(QStringLiteral("História"));
    case ClipboardPanelTab::Jars:
        return QStringLiteral("Jars");
    case ClipboardPanelTab::Pins:
        return L10n::text(QStringLiteral("Pripnuté"));
    case ClipboardPanelTab::Gallery:
        return L10n::text(QStringLiteral("Galéria"));
    case ClipboardPanelTab::Screenshots:
        return L10n::text(QStringLiteral("Snímky obrazovky"));
    case ClipboardPanelTab::Snippets:
        return L10n::text(QStringLiteral("Skratky"));
    }
    return {};
}
