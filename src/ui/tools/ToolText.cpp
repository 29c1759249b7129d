#include "ui/tools/ToolText.h"

#include "ui/style/PanelIcons.h"

#include <QEvent>

namespace {

QColor colorOf(ToolText::Role role, const PanelStyle::Colors &colors)
{
    switch (role) {
    case ToolText::Role::Primary:
        return colors.primary;
    case ToolText::Role::Secondary:
        return colors.secondary;
    case ToolText::Role::Muted:
        return colors.muted;
    case ToolText::Role::Accent:
        return colors.accent;
    case ToolText::Role::Error:
        return colors.systemRed;
    case ToolText::Role::Warning:
        return colors.systemOrange;
    }
    return colors.primary;
}

} // namespace

ToolText::ToolText(const QString &text, qreal pointSize, int weight, Role role, QWidget *parent)
    : QLabel(text, parent)
    , m_role(role)
    , m_pointSize(pointSize)
{
    setFont(PanelStyle::font(pointSize, weight));
    applyColor();
}

ToolText *ToolText::symbol(const QString &name, qreal pointSize, Role role, QWidget *parent)
{
    auto *text = new ToolText(QString(), pointSize, QFont::Normal, role, parent);
    text->setSymbol(name);
    return text;
}

void ToolText::setRole(Role role)
{
    if (role == m_role)
        return;
    m_role = role;
    applyColor();
}

void ToolText::setSymbol(const QString &name)
{
    m_symbol = name;
    const int side = int(std::ceil(PanelIcons::side(m_pointSize)));
    setFixedSize(side, side);
    applyColor();
}

void ToolText::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    // The scheme arrives as a new palette from the window above.
    if (event->type() == QEvent::PaletteChange && !m_applying)
        applyColor();
}

void ToolText::applyColor()
{
    const QColor color = colorOf(m_role, PanelStyle::colors(this));
    m_applying = true;
    if (palette().color(QPalette::WindowText) != color) {
        QPalette tinted = palette();
        tinted.setColor(QPalette::WindowText, color);
        setPalette(tinted);
    }
    if (!m_symbol.isEmpty())
        setPixmap(PanelIcons::pixmap(m_symbol, PanelIcons::side(m_pointSize), color, devicePixelRatioF()));
    m_applying = false;
}
