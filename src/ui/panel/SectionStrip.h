#pragma once

#include "core/ClipboardPanelTab.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

// The section strip of the details panel: one cell per section, sharing the strip's width,
// the selected one tinted. A click asks for its section; the highlight shows the section its
// owner reports, whichever way the section changed.
class SectionStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPadding = 3;
    static constexpr int kSpacing = 3;
    static constexpr qreal kCornerRadius = 11;
    static constexpr int kCellHeight = 29;
    static constexpr qreal kCellRadius = 8;
    static constexpr qreal kSymbolSize = 12;
    static constexpr qreal kSelectedTint = 0.1;

    // The sections offered, in the strip's order.
    static const QList<ClipboardPanelTab> &primaryTabs();

    explicit SectionStrip(ClipboardPanelTab selected, QWidget *parent = nullptr);

    QAbstractButton *button(ClipboardPanelTab tab) const;
    // Highlights the section shown.
    void setSelectedTab(ClipboardPanelTab tab);

Q_SIGNALS:
    void tabClicked(ClipboardPanelTab tab);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QAbstractButton *> m_buttons;
};
