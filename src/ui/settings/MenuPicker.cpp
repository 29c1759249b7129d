#include "ui/settings/MenuPicker.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QMenu>
#include <QPainter>

MenuPicker::MenuPicker(const QString &accessibleName, QList<QPair<QString, int>> options, QWidget *parent)
    : QAbstractButton(parent), m_options(std::move(options))
{
    setAccessibleName(accessibleName);
    setFixedSize(kSize);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] {
        QMenu *menu = buildMenu();
        menu->popup(mapToGlobal(QPoint(0, height())));
    });
}

void MenuPicker::setValue(int value)
{
    if (m_value == value)
        return;
    m_value = value;
    update();
}

QString MenuPicker::currentLabel() const
{
    for (const auto &[label, value] : m_options) {
        if (value == m_value)
            return label;
    }
    // A stored value the picker does not offer (a hand-edited settings file) shows as itself.
    return QString::number(m_value);
}

QMenu *MenuPicker::buildMenu()
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    PanelStyle::styleMenu(menu, PanelStyle::schemeOf(this));
    menu->setFont(PanelStyle::font(kTextSize));
    for (const auto &[label, value] : m_options) {
        QAction *action = menu->addAction(label);
        action->setCheckable(true);
        action->setChecked(value == m_value);
        connect(action, &QAction::triggered, this, [this, value = value] { Q_EMIT chosen(value); });
    }
    return menu;
}

void MenuPicker::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    PanelStyle::fillRounded(painter, rect(), kRadius, underMouse() ? colors.hoverSurface : colors.controlSurface);
    const QRectF content = QRectF(rect()).adjusted(kHorizontalPadding + 3, 0, -kHorizontalPadding - 3, 0);
    const qreal chevronSide = PanelIcons::side(kChevronSize);
    PanelIcons::paint(painter, QRectF(content.right() - chevronSide, content.center().y() - chevronSide / 2, chevronSide,
                                      chevronSide),
                      QStringLiteral("chevron.up.chevron.down"), kChevronSize, colors.secondary);
    painter.setPen(colors.primary);
    PanelText::drawElided(painter, content.adjusted(0, 0, -chevronSide - 4, 0), PanelStyle::font(kTextSize),
                          currentLabel());
}
