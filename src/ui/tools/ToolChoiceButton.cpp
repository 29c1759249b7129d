#include "ui/tools/ToolChoiceButton.h"

#include <QPainter>

ToolChoiceButton::ToolChoiceButton(const QString &name, QSize fixedSize, Painter painter, QWidget *parent)
    : QAbstractButton(parent)
    , m_size(fixedSize)
    , m_painter(std::move(painter))
{
    setAccessibleName(name);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(fixedSize);
}

void ToolChoiceButton::setStretchesHorizontally()
{
    setMinimumWidth(0);
    setMaximumWidth(QWIDGETSIZE_MAX);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ToolChoiceButton::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void ToolChoiceButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_painter(painter, QRectF(rect()), m_selected, PanelStyle::colors(this));
}
