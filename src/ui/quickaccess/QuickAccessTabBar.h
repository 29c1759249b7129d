#pragma once

#include "core/ClipboardPanelTab.h"
#include "ui/style/PaintedAccessibility.h"

#include <QWidget>

#include <chrono>

// The row of section buttons under the Quick Access search: symbol and title each, in the fixed
// Quick Access order, in one of three looks (focused while the tabs have the keyboard, selected,
// plain). Wider than its room, it scrolls sideways and keeps the selected tab centred. It shows
// the section and the keyboard focus its owner reports; a click asks for a section. Each tab
// is named by its title, as a tooltip and to assistive technology.
class QuickAccessTabBar : public QWidget, public PaintedAccessibility
{
    Q_OBJECT
public:
    static constexpr int kHeight = 30;
    static constexpr int kButtonHeight = 28;
    static constexpr int kSpacing = 3;
    static constexpr int kPadding = 8;
    static constexpr int kSymbolTitleSpacing = 5;
    static constexpr qreal kCornerRadius = 7;
    static constexpr qreal kSymbolSize = 10;
    static constexpr qreal kTitleSize = 9;
    static constexpr std::chrono::milliseconds kScrollDuration{160};

    explicit QuickAccessTabBar(ClipboardPanelTab selected, QWidget *parent = nullptr);

    // The section shown; a new one scrolls to the centre.
    void setSelectedTab(ClipboardPanelTab tab);
    ClipboardPanelTab selectedTab() const { return m_selected; }
    // Whether the tabs have the keyboard: the selected tab then wears the accent fill.
    void setKeyboardFocused(bool focused);
    bool isKeyboardFocused() const { return m_keyboardFocused; }

    // The tab's title as shown.
    static QString title(int index);
    // The rectangle of a tab's button in the bar's own coordinates (scroll applied).
    QRectF buttonRect(int index) const;
    qreal scrollOffset() const { return m_offset; }
    // Scrolls the selected tab to the centre (animated unless `at once`).
    void centreSelected(bool atOnce);

    // The bar takes the width it is given and scrolls what does not fit.
    QSize sizeHint() const override { return QSize(0, kHeight); }
    QSize minimumSizeHint() const override { return sizeHint(); }

    QAccessible::Role accessibleRole() const override { return QAccessible::PageTabList; }
    QList<PaintedAccessibleItem> accessibleItems() const override;
    void pressAccessibleItem(int item, int part) override;

Q_SIGNALS:
    void tabClicked(ClipboardPanelTab tab);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    qreal contentWidth() const;
    qreal buttonWidth(int index) const;
    qreal clampedOffset(qreal offset) const;

    ClipboardPanelTab m_selected;
    bool m_keyboardFocused = false;
    qreal m_offset = 0;
};
