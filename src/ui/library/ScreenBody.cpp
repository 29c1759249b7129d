#include "ui/library/ScreenBody.h"

#include <QScrollArea>
#include <QStackedLayout>

ScreenBody ScreenBody::make(QWidget *parent, QWidget *content, QWidget *empty)
{
    ScreenBody body;
    body.scroll = new QScrollArea(parent);
    body.scroll->setFrameShape(QFrame::NoFrame);
    body.scroll->setWidgetResizable(true);
    body.scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    body.scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    body.scroll->viewport()->setAutoFillBackground(false);
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
