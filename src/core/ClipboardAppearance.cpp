#include "core/ClipboardAppearance.h"

ClipboardAppearance savedAppearance(const std::optional<QString> &stored)
{
    return stored && *stored == QLatin1String("light") ? ClipboardAppearance::Light : ClipboardAppearance::Dark;
}
