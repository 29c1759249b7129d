#pragma once

#include "core/ClipboardKind.h"
#include "core/ClipboardTransform.h"

#include <QString>

// How a content kind is shown: its name in the interface language and its symbol.
namespace KindPresentation {

QString displayName(ClipboardKind kind);
// The symbol of the kind's tile where a row has no picture of its own.
QString symbol(ClipboardKind kind);
// The symbol of a text transform in menus and the special paste options.
QString transformSymbol(ClipboardTransform transform);

} // namespace KindPresentation
