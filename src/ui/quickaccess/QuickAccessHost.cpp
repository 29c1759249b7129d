#include "ui/quickaccess/QuickAccessHost.h"

#include "ui/quickaccess/QuickAccessView.h"

QuickAccessHost::QuickAccessHost(QWidget *panelView, QuickAccessView *quickAccessView, QWidget *parent)
    : QStackedWidget(parent)
    , m_panelView(panelView)
    , m_quickAccessView(quickAccessView)
{
    addWidget(panelView);
    addWidget(quickAccessView);
    setCurrentWidget(panelView);
}

void QuickAccessHost::setQuickAccessPresented(bool presented)
{
    setCurrentWidget(presented ? static_cast<QWidget *>(m_quickAccessView) : m_panelView);
}
