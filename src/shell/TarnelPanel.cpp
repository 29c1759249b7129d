#include "shell/TarnelPanel.h"

#include "shell/HostedContent.h"

#include <QVBoxLayout>

TarnelPanel::TarnelPanel(Qt::WindowFlags extraFlags, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                          | Qt::NoDropShadowWindowHint | extraFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Tarnel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void TarnelPanel::setDrawnRegion(const QRegion &region)
{
    if (region == m_drawnRegion)
        return;
    m_drawnRegion = region;
    if (region.isEmpty())
        clearMask();
    else
        setMask(region);
}

void TarnelPanel::setContent(QWidget *content)
{
    replaceHostedContent(*this, m_content, content);
}
