#pragma once

#include "core/ClipboardPanelTab.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

class ClipboardModel;

// The section strip of the details panel: one cell per section, sharing the strip's width,
// the selected one tinted. A click selects its section in the model; the highlight follows the
// model, whichever way the section changed.
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

    explicit SectionStrip(ClipboardModel &model, QWidget *parent = nullptr);

    QAbstractButton *button(ClipboardPanelTab tab) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void follow();

    ClipboardModel &m_model;
    QList<QAbstractButton *> m_buttons;
};
