#include "ui/panel/SectionSymbols.h"

namespace SectionSymbols {

QString symbol(ClipboardPanelTab tab)
{
    switch (tab) {
    case ClipboardPanelTab::Clipboard:
        return QStringLiteral("doc.on.clipboard");
    case ClipboardPanelTab::PasteStack:
        return QStringLiteral("square.stack.3d.up");
    case ClipboardPanelTab::History:
        return QStringLiteral("clock.arrow.circlepath");
    case ClipboardPanelTab::Jars:
        return QStringLiteral("archivebox");
    case ClipboardPanelTab::Pins:
        return QStringLiteral("pin");
    case ClipboardPanelTab::Gallery:
        return QStringLiteral("photo.on.rectangle.angled");
    case ClipboardPanelTab::Screenshots:
        return QStringLiteral("camera.viewfinder");
    case ClipboardPanelTab::Snippets:
        return QStringLiteral("keyboard");
    }
    return {};
}

} // namespace SectionSymbols
