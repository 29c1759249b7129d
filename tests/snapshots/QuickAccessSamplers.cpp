#include "snapshots/QuickAccessSamplers.h"

#include "core/AccessibilityNotice.h"
#include "engine/ClipboardModel.h"
#include "support/WidgetEvents.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/quickaccess/QuickAccessView.h"

#include <QCoreApplication>

#include <algorithm>

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

QWidget *quickAccessSample(testsupport::SeededModel &seed, QuickAccessSample sample, ClipboardPanelTab tab, QSize frame)
{
    ClipboardModel &model = seed.model();
    model.setIsQuickAccessPresented(false);
    model.setIsQuickPasteOptionsPresented(false);
    model.setShortcutNotice(std::nullopt);
    model.setSelectedJarID(std::nullopt);
    model.setSearchText(QString());
    model.setSelectedTab(tab);
    model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
    const auto firstOf = [&model](ClipboardKind kind) {
        for (const ClipboardEntry &entry : model.entries())
            if (entry.kind == kind)
                return entry;
        return model.entries().first();
    };
    switch (sample) {
    case QuickAccessSample::Lists:
        model.setSelectedEntryID(model.entries().at(1).id);
        model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Items);
        break;
    case QuickAccessSample::Searching:
        model.setSearchText(QStringLiteral("zzz-nothing"));
        break;
    case QuickAccessSample::SearchSelection: {
        // Typed while open: the first row that matches is selected, the one Return pastes.
        model.setIsQuickAccessPresented(true);
        model.setSearchText(firstOf(ClipboardKind::Url).text.left(5));
        model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Search);
        break;
    }
    case QuickAccessSample::JarDrillDown:
        model.setSelectedJarID(model.jars().first().id);
        break;
    case QuickAccessSample::TextOptions:
        model.setSelectedEntry(firstOf(ClipboardKind::Text));
        model.openQuickPasteOptions();
        break;
    case QuickAccessSample::ImageOptions:
        model.setSelectedEntry(firstOf(ClipboardKind::Image));
        model.openQuickPasteOptions();
        break;
    case QuickAccessSample::Notice:
        model.setAccessibilityPermissionEnabled(false);
        model.setShortcutNotice(AccessibilityNotice::pasteNeedsKeys());
        break;
    }
    auto *view = new QuickAccessView(model);
    view->setFrameSize(frame);
    // Row pictures are asked for by the first paint and decoded off the main thread; the picture
    // waits for them.
    view->grab();
    if (const EntryThumbnails *thumbnails = view->findChild<EntryThumbnails *>()) {
        const QList<ClipboardEntry> entries = model.entries();
        testsupport::waitFor([thumbnails, &entries] {
            return std::none_of(entries.begin(), entries.end(),
                                [thumbnails](const ClipboardEntry &entry) { return thumbnails->isPending(entry.id); });
        });
    }
    return view;
}
