#include "core/ClipboardPresentationMode.h"

ClipboardPresentationMode savedPresentationMode(const std::optional<QString> &stored)
{
    return stored && *stored == QLatin1String("menuBar") ? ClipboardPresentationMode::MenuBar
                                                          : ClipboardPresentationMode::Notch;
}
