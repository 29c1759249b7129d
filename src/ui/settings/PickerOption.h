#pragma once

#include "ui/style/PanelStyle.h"

#include <QAbstractButton>

#include <chrono>
#include <functional>

// One choice of a settings picker: a plain button that draws its own content through the
// picker's painter, selected when the picker says so. It is checkable only so that assistive
// tools read the selected state; a click always reports, and the picker decides.
class PickerOption : public QAbstractButton {
    Q_OBJECT
public:
    struct Frame {
        qreal radius = 11;
        qreal selectedFillOpacity = 0.075;
        qreal selectedStrokeOpacity = 0.42;
        bool outlined = true;
    };
    using Painter = std::function<void(QPainter &, const QRectF &, bool selected, const PanelStyle::Colors &)>;

    PickerOption(const QString &accessibleName, QSize minimumSize, Frame frame, Painter painter,
                 QWidget *parent = nullptr);

    void setSelected(bool selected);
    bool isSelected() const { return isChecked(); }
    // How long the look takes to follow a change of selection (ease-in-out, scaled by the global
    // animation factor); zero, the default, changes it at once.
    void setSelectionDuration(std::chrono::milliseconds duration) { m_selectionDuration = duration; }
    // How selected the option looks now: 0 or 1 at rest, between while it follows a change.
    qreal selectionProgress() const { return m_progress; }
    QSize sizeHint() const override { return m_minimum; }
    QSize minimumSizeHint() const override { return m_minimum; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override {}

private:
    void paintLook(QPainter &painter, bool selected);

    QSize m_minimum;
    Frame m_frame;
    Painter m_painter;
    std::chrono::milliseconds m_selectionDuration{0};
    qreal m_progress = 0;
};

// The check mark of a selected option, and the empty ring of the others.
namespace PickerMarks {
void paint(QPainter &painter, const QRectF &rect, bool selected, const PanelStyle::Colors &colors, bool ringWhenOff);
}
