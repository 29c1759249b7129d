#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardSnippet.h"
#include "ui/panel/ClearSection.h"

#include <QString>

#include <optional>

class QObject;

// What the section screens ask of the panel that hosts them: the panel owns every sheet, the
// actions menu and the clear confirmation, presents them and makes the model calls they end in.
class PanelSheets {
public:
    virtual ~PanelSheets() = default;

    // The edit-before-paste sheet for a text, link, file… entry; the preview or the composer
    // for an image entry.
    virtual void editEntry(const ClipboardEntry &entry) = 0;
    virtual void previewImage(const ClipboardEntry &entry) = 0;
    virtual void composeImage(const ClipboardEntry &entry) = 0;
    // The Jar editor: renames the Jar, or creates one when none is given.
    virtual void editJar(const std::optional<QString> &jarID) = 0;
    // The snippet editor: edits the snippet, or creates one when none is given.
    virtual void editSnippet(const std::optional<ClipboardSnippet> &snippet) = 0;
    // Asks before clearing; Jar and DeleteJar act on the given Jar.
    virtual void confirmClear(ClearSection section, const std::optional<QString> &jarID = std::nullopt) = 0;
    // The entry whose actions menu is open (none: the menu closed).
    virtual void setActionEntry(const std::optional<ClipboardEntry> &entry) = 0;
    // The entry whose row controls are unfolded in a list; a change of section folds them.
    virtual std::optional<QString> expandedControlsEntryID() const = 0;
    virtual void setExpandedControlsEntryID(const std::optional<QString> &id) = 0;
    // Lives exactly as long as these sheets: the context of every connection whose handler
    // calls them, so a window that outlives the panel (an open actions menu) calls nothing dead.
    virtual QObject *lifetime() = 0;
};
