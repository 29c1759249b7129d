#include "ui/library/ScreenBody.h"

#include "ui/style/PanelScrollArea.h"

#include <QScrollArea>
#include <QStackedLayout>

ScreenBody ScreenBody::make(QWidget *parent, QWidget *content, QWidget *empty)
{
    ScreenBody body;
    body.scroll = makePanelScrollArea(parent);
    body.scroll->setWidget(content);
    // The scroll area fills what it holds with the window colour; the panel's own background
    // shows through instead.
    content->setAutoFillBackground(false);
    body.widget = new QWidget(parent);
    body.stack = new QStackedLayout(body.widget);
    body.stack->setContentsMargins(0, 0, 0, 0);
    body.stack->addWidget(body.scroll);
    body.stack->addWidget(empty);
    return body;
}
