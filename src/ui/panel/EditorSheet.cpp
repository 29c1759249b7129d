#include "ui/panel/EditorSheet.h"

#include "ui/style/PanelStyle.h"

#include <QKeyEvent>
#include <QPainter>

EditorSheet::EditorSheet(QWidget *parent) : QWidget(parent) {}

void EditorSheet::retranslate()
{
    m_texts.apply();
    refresh();
}

void EditorSheet::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
}

void EditorSheet::keyPressEvent(QKeyEvent *event)
{
    // Keys reach the sheet when the focused control leaves them.
    switch (SheetKeys::actionFor(*event)) {
    case SheetKeys::Action::Cancel:
        cancelKey();
        return;
    case SheetKeys::Action::Save:
        if (saveKey())
            return;
        break;
    case SheetKeys::Action::Default:
        defaultKey();
        return;
    case SheetKeys::Action::None:
        break;
    }
    QWidget::keyPressEvent(event);
}
