#pragma once

#include "ui/style/PanelStyle.h"

#include <QAbstractButton>

#include <functional>

// A choice of the image tools (an aspect, a background mode, a swatch, a corner style, a result
// mode): a flat button that paints itself with the function it is given, told whether it is the
// chosen one and given the colours of the scheme it is shown in. It carries its name as its
// accessibility text.
class ToolChoiceButton : public QAbstractButton {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter &painter, const QRectF &rect, bool selected, const PanelStyle::Colors &colors)>;

    ToolChoiceButton(const QString &name, QSize fixedSize, Painter painter, QWidget *parent = nullptr);

    // A tile whose width follows its column: only the height is fixed.
    void setStretchesHorizontally();
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    QSize sizeHint() const override { return m_size; }
    QSize minimumSizeHint() const override { return QSize(0, m_size.height()); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize m_size;
    Painter m_painter;
    bool m_selected = false;
};
