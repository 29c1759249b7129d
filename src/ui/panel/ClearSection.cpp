#include "ui/panel/ClearSection.h"

#include "core/L10n.h"

namespace ClearSectionTexts {

namespace {

struct Texts {
    const char *title;
    const char *message;
};

Texts texts(ClearSection section)
{
    switch (section) {
    case ClearSection::Clipboard:
        return {"Vymazať Schránku?",
                "Vymažú sa bežné položky zo Schránky. Stack, Jars, pripnuté položky a obrázky zostanú zachované."};
    case ClearSection::History:
        return {"Vymazať celú históriu?", "Vymažú sa bežné záznamy histórie. Stack, Jars, pripnuté položky, Galéria "
                                          "a screenshoty zostanú zachované."};
    case ClearSection::PasteStack:
        return {"Vymazať celý Paste Stack?", "Položky sa odstránia zo Stacku, ale zostanú v Histórii."};
    case ClearSection::Pins:
        return {"Vymazať všetky pripnuté položky?", "Pripnuté položky sa odstránia z Tarnel aj z Paste Stacku."};
    case ClearSection::Gallery:
        return {"Vymazať všetky obrázky z Galérie?",
                "Obrázky v Galérii vrátane pripnutých sa odstránia z Tarnel. Screenshoty zostanú zachované."};
    case ClearSection::Screenshots:
        return {"Vymazať všetky screenshoty?", "Screenshoty sa odstránia z Tarnel. Pôvodné súbory zostanú zachované."};
    case ClearSection::Snippets:
        return {"Vymazať všetky skratky?", "Uložené textové skratky sa odstránia z Tarnel."};
    case ClearSection::Jars:
        return {"Vyprázdniť všetky Jars?", "Obsah sa odstráni zo všetkých Jarov. Položky zostanú v Histórii."};
    case ClearSection::Jar:
        return {"Vyprázdniť tento Jar?", "Položky sa odstránia z tohto Jaru, ale zostanú v Histórii."};
    case ClearSection::DeleteJar:
        return {"Vymazať tento Jar?", "Jar sa odstráni. Jeho položky zostanú v Histórii."};
    }
    return {"", ""};
}

} // namespace

QString title(ClearSection section) { return L10n::text(QString::fromUtf8(texts(section).title)); }

QString message(ClearSection section) { return L10n::text(QString::fromUtf8(texts(section).message)); }

QString confirmTitle(ClearSection section)
{
    return L10n::text(section == ClearSection::DeleteJar ? QStringLiteral("Vymazať Jar") : QStringLiteral("Vymazať všetko"));
}

} // namespace ClearSectionTexts
