#include "snapshots/QuickAccessSamplers.h"

#include "ui/panel/EntryActionsMenu.h"

QWidget *actionsMenuSample(testsupport::SeededModel &seed, ClipboardKind kind, int page)
{
    for (const ClipboardEntry &entry : seed.entries()) {
        if (entry.kind != kind)
            continue;
        auto *menu = new EntryActionsMenu(seed.model(), entry, {});
        menu->setPage(EntryActionsMenu::Page(page));
        return menu;
    }
    return nullptr;
}
