#include "snapshots/SheetSamplers.h"

#include "ui/library/JarEditorSheet.h"
#include "ui/panel/ClearSectionAlert.h"
#include "ui/panel/EditTextSheet.h"
#include "ui/panel/SnippetEditorSheet.h"

namespace {

ClipboardEntry multiLineText(testsupport::SeededModel &seed)
{
    for (const ClipboardEntry &entry : seed.entries()) {
        if (entry.kind == ClipboardKind::Text && entry.text.contains(u'\n'))
            return entry;
    }
    return seed.first(ClipboardKind::Text);
}

} // namespace

QWidget *editTextSheetSample(testsupport::SeededModel &seed, bool refused)
{
    const ClipboardEntry entry = multiLineText(seed);
    auto *sheet = new EditTextSheet(entry, entry.text + QStringLiteral("\nŠtvrtý riadok"), ClipboardAppearance::Dark,
                                    [](const QString &) { return false; });
    if (refused)
        sheet->save();
    return sheet;
}

QWidget *snippetEditorSample(testsupport::SeededModel &seed, bool existing, bool refused)
{
    const std::optional<ClipboardSnippet> snippet =
        existing ? std::optional(seed.model().snippets().first()) : std::nullopt;
    auto *sheet = new SnippetEditorSheet(snippet, seed.first(ClipboardKind::Text).text, ClipboardAppearance::Dark,
                                         [](const QString &, const QString &, const QString &) { return false; });
    if (refused)
        sheet->save();
    return sheet;
}

QWidget *jarEditorSample(testsupport::SeededModel &seed, bool rename, bool refused)
{
    auto *sheet = new JarEditorSheet(rename ? seed.model().jars().first().name : QString(), ClipboardAppearance::Dark,
                                     [](const QString &) { return false; });
    if (refused)
        sheet->submit();
    return sheet;
}

QWidget *clearAlertSample(ClearSection section)
{
    return new ClearSectionAlert(section, ClipboardAppearance::Dark);
}
