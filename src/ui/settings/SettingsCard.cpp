#include "ui/settings/SettingsCard.h"

#include "ui/style/PanelStyle.h"

#include <QBoxLayout>
#include <QPainter>

namespace {

constexpr int kDividerInset = 11;

class Divider : public QWidget {
public:
    explicit Divider(QWidget *parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect().adjusted(kDividerInset, 0, -kDividerInset, 0), PanelStyle::colors(this).divider);
    }
};

} // namespace

SettingsCard::SettingsCard(Qt::Orientation orientation, int padding, int spacing, qreal radius, QWidget *parent)
    : QWidget(parent)
    , m_layout(new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this))
    , m_radius(radius)
{
    m_layout->setContentsMargins(padding, padding, padding, padding);
    m_layout->setSpacing(spacing);
}

QWidget *SettingsCard::divider(QWidget *parent)
{
    return new Divider(parent);
}

void SettingsCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PanelStyle::fillRounded(painter, rect(), m_radius, PanelStyle::colors(this).surface);
}
