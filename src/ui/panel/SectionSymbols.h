#pragma once

#include "core/ClipboardPanelTab.h"

#include <QString>

// The one symbol of a section, wherever a section is drawn (the section strip, headings).
namespace SectionSymbols {

QString symbol(ClipboardPanelTab tab);

} // namespace SectionSymbols
