#include "ui/panel/SheetColumn.h"

#include "ui/style/PanelStyle.h"

#include <QVBoxLayout>
#include <QWidget>

QVBoxLayout *sheetColumn(QWidget *sheet, ClipboardAppearance appearance, int padding, int spacing)
{
    PanelStyle::applyScheme(sheet, PanelStyle::schemeFor(appearance));
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(spacing);
    return layout;
}

QVBoxLayout *sheetColumn(QWidget *sheet, ClipboardAppearance appearance, QSize minimumSize, int padding, int spacing)
{
    sheet->setMinimumSize(minimumSize);
    return sheetColumn(sheet, appearance, padding, spacing);
}
