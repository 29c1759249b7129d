#pragma once

#include "core/ClipboardEntry.h"

#include <QList>
#include <QString>

#include <optional>

// One selection moved through whatever list of entries the panel shows.
namespace EntrySelection {

// The id selected after one step in `direction` (negative is up) from `selectedID` within
// `list`. The selection stops at either end; from outside the list, up selects the last entry
// and down the first. None only for an empty list.
std::optional<QString> navigated(const QList<ClipboardEntry> &list, const std::optional<QString> &selectedID,
                                 int direction);

// The selected entry when it is in the list, else the list's first entry; none for an empty list.
std::optional<ClipboardEntry> selectedOrFirst(const QList<ClipboardEntry> &list,
                                              const std::optional<QString> &selectedID);

} // namespace EntrySelection
