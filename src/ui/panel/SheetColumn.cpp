#include "ui/panel/SheetColumn.h"

#include "ui/style/PanelStyle.h"

#include <QVBoxLayout>

QVBoxLayout *sheetColumn(QWidget *sheet, ClipboardAppearance appearance, int padding, int spacing)
{
    PanelStyle::applyScheme(sheet, PanelStyle::schemeFor(appearance));
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(spacing);
    return layout;
}
