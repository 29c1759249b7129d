#pragma once

#include <QString>

// What a confirmed clear empties; the panel asks before each one.
enum class ClearSection { Clipboard, History, PasteStack, Pins, Gallery, Screenshots, Snippets, Jars, Jar, DeleteJar };

namespace ClearSectionTexts {

// The alert's title, message and confirm button, in the interface language.
QString title(ClearSection section);
QString message(ClearSection section);
QString confirmTitle(ClearSection section);

} // namespace ClearSectionTexts
