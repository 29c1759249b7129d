#include "ui/quickaccess/QuickAccessTabBar.h"

#include "ui/panel/SectionSymbols.h"

#include "engine/QuickAccessChoices.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QPainter>
#include <QWheelEvent>

namespace {

ClipboardPanelTab tabAt(int index) { return QuickAccessChoices::tabOrder().at(std::size_t(index)); }

int tabCount() { return int(QuickAccessChoices::tabOrder().size()); }

QFont titleFont(bool selected) { return PanelStyle::font(QuickAccessTabBar::kTitleSize, selected ? QFont::DemiBold : QFont::Medium); }

} // namespace

QuickAccessTabBar::QuickAccessTabBar(ClipboardPanelTab selected, QWidget *parent)
    : QWidget(parent)
    , m_selected(selected)
{
    PaintedAccessibility::install();
    setFixedHeight(kHeight);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void QuickAccessTabBar::setSelectedTab(ClipboardPanelTab tab)
{
    if (tab == m_selected)
        return;
    m_selected = tab;
    update();
    centreSelected(false);
}

void QuickAccessTabBar::setKeyboardFocused(bool focused)
{
    if (focused == m_keyboardFocused)
        return;
    m_keyboardFocused = focused;
    update();
}

QString QuickAccessTabBar::title(int index) { return ::title(tabAt(index)); }

qreal QuickAccessTabBar::buttonWidth(int index) const
{
    // Sized for the semibold title, so selecting a tab never moves the others.
    return kPadding * 2 + PanelIcons::side(kSymbolSize) + kSymbolTitleSpacing
           + PanelText::width(titleFont(true), title(index));
}

qreal QuickAccessTabBar::contentWidth() const
{
    qreal width = 0;
    for (int i = 0; i < tabCount(); ++i)
        width += buttonWidth(i) + (i > 0 ? kSpacing : 0);
    return width;
}

QRectF QuickAccessTabBar::buttonRect(int index) const
{
    qreal x = -m_offset;
    for (int i = 0; i < index; ++i)
        x += buttonWidth(i) + kSpacing;
    return QRectF(x, (height() - kButtonHeight) / 2.0, buttonWidth(index), kButtonHeight);
}

qreal QuickAccessTabBar::clampedOffset(qreal offset) const
{
    return std::clamp(offset, 0.0, std::max(0.0, contentWidth() - width()));
}

void QuickAccessTabBar::centreSelected(bool atOnce)
{
    const auto &order = QuickAccessChoices::tabOrder();
    const int index = int(std::find(order.begin(), order.end(), m_selected) - order.begin());
    if (index >= tabCount())
        return;
    const qreal target = clampedOffset(buttonRect(index).center().x() + m_offset - width() / 2.0);
    const auto apply = [this](const QVariant &value) {
        m_offset = value.toReal();
        update();
    };
    if (atOnce)
        apply(target);
    else
        PanelMotion::animate(this, "scroll", m_offset, target, kScrollDuration, PanelMotion::easeOut(), apply);
}

void QuickAccessTabBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    for (int i = 0; i < tabCount(); ++i) {
        const QRectF button = buttonRect(i);
        if (button.right() < 0 || button.left() > width())
            continue;
        const bool selected = m_selected == tabAt(i);
        const bool focused = selected && m_keyboardFocused;
        const QColor foreground = focused ? colors.prominentForeground : selected ? colors.accent : colors.secondary;
        if (focused)
            PanelStyle::fillRounded(painter, button, kCornerRadius, colors.accent);
        else if (selected)
            PanelStyle::fillRounded(painter, button, kCornerRadius, PanelStyle::withOpacity(colors.accent, 0.15));
        const qreal symbolSide = PanelIcons::side(kSymbolSize);
        const QFont font = titleFont(selected);
        const qreal titleWidth = PanelText::width(font, title(i));
        qreal x = button.center().x() - (symbolSide + kSymbolTitleSpacing + titleWidth) / 2;
        PanelIcons::paint(painter, QRectF(x, button.top(), symbolSide, button.height()), SectionSymbols::symbol(tabAt(i)), kSymbolSize,
                          foreground);
        x += symbolSide + kSymbolTitleSpacing;
        painter.setPen(foreground);
        PanelText::drawFixed(painter, QRectF(x, button.top(), titleWidth, button.height()), font, title(i));
    }
}

void QuickAccessTabBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < tabCount(); ++i) {
        if (buttonRect(i).contains(event->position())) {
            Q_EMIT tabClicked(tabAt(i));
            return;
        }
    }
}

void QuickAccessTabBar::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    m_offset = clampedOffset(m_offset - (delta.x() != 0 ? delta.x() : delta.y()) / 4.0);
    update();
}

void QuickAccessTabBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    centreSelected(true);
}

void QuickAccessTabBar::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    centreSelected(true);
}

QList<PaintedAccessibleItem> QuickAccessTabBar::accessibleItems() const
{
    QList<PaintedAccessibleItem> items;
    for (int i = 0; i < tabCount(); ++i) {
        PaintedAccessibleItem tab;
        tab.role = QAccessible::PageTab;
        tab.name = title(i);
        tab.rect = buttonRect(i).toAlignedRect();
        tab.selectable = true;
        tab.selected = tabAt(i) == m_selected;
        items.append(tab);
    }
    return items;
}

void QuickAccessTabBar::pressAccessibleItem(int item, int)
{
    if (item >= 0 && item < tabCount())
        Q_EMIT tabClicked(tabAt(item));
}

bool QuickAccessTabBar::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto *help = static_cast<QHelpEvent *>(event);
    for (int i = 0; i < tabCount(); ++i) {
        const QRect button = buttonRect(i).toAlignedRect();
        if (button.contains(help->pos())) {
            QToolTip::showText(help->globalPos(), title(i), this, button);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}
