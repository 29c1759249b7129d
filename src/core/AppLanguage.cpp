#include "core/AppLanguage.h"

AppLanguage savedLanguage(const std::optional<QString> &stored)
{
    // Only the exact raw text switches to English; a stray value must not hide the base texts.
    return stored && *stored == QLatin1String("en") ? AppLanguage::En : AppLanguage::Sk;
}
