#include "ui/quickaccess/QuickAccessHost.h"

#include "engine/ClipboardModel.h"
#include "ui/quickaccess/QuickAccessView.h"

QuickAccessHost::QuickAccessHost(ClipboardModel &model, QWidget *panelView, QuickAccessView *quickAccessView,
                                 QWidget *parent)
    : QStackedWidget(parent)
    , m_model(model)
    , m_panelView(panelView)
    , m_quickAccessView(quickAccessView)
{
    addWidget(panelView);
    addWidget(quickAccessView);
    connect(&model, &ClipboardModel::isQuickAccessPresentedChanged, this, &QuickAccessHost::follow);
    follow();
}

void QuickAccessHost::follow()
{
    setCurrentWidget(m_model.isQuickAccessPresented() ? static_cast<QWidget *>(m_quickAccessView) : m_panelView);
}
