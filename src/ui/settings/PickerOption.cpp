#include "ui/settings/PickerOption.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelMotion.h"

#include <QPainter>

PickerOption::PickerOption(const QString &accessibleName, QSize minimumSize, Frame frame, Painter painter,
                           QWidget *parent)
    : QAbstractButton(parent), m_minimum(minimumSize), m_frame(frame), m_painter(std::move(painter))
{
    setCheckable(true);
    setAccessibleName(accessibleName);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PickerOption::setSelected(bool selected)
{
    if (isChecked() == selected)
        return;
    setChecked(selected);
    // An option not on screen yet takes its look at once.
    const std::chrono::milliseconds duration = isVisible() ? m_selectionDuration : std::chrono::milliseconds(0);
    PanelMotion::animate(this, "selection", m_progress, selected ? 1.0 : 0.0, duration, PanelMotion::easeInOut(),
                         [this](const QVariant &value) {
                             m_progress = value.toReal();
                             update();
                         });
    update();
}

void PickerOption::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // While the selection moves, the old look fades out under the new one.
    if (m_progress <= 0 || m_progress >= 1) {
        paintLook(painter, m_progress >= 1);
        return;
    }
    painter.setOpacity(1 - m_progress);
    paintLook(painter, false);
    painter.setOpacity(m_progress);
    paintLook(painter, true);
}

void PickerOption::paintLook(QPainter &painter, bool selected)
{
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    PanelStyle::fillRounded(painter, frame, m_frame.radius,
                            selected ? PanelStyle::withOpacity(colors.accent, m_frame.selectedFillOpacity)
                                     : colors.controlSurface);
    if (m_frame.outlined) {
        if (selected)
            PanelStyle::strokeRounded(painter, frame, m_frame.radius,
                                      PanelStyle::withOpacity(colors.accent, m_frame.selectedStrokeOpacity), 1);
        else
            PanelStyle::strokeRounded(painter, frame, m_frame.radius, colors.border, 0.7);
    }
    m_painter(painter, QRectF(rect()), selected, colors);
}

namespace PickerMarks {

void paint(QPainter &painter, const QRectF &rect, bool selected, const PanelStyle::Colors &colors, bool ringWhenOff)
{
    if (selected) {
        PanelIcons::paint(painter, rect, QStringLiteral("checkmark.circle.fill"), rect.height() / 1.15, colors.accent);
        return;
    }
    if (!ringWhenOff)
        return;
    const qreal side = rect.height() * 0.8;
    QPen pen(colors.muted, 1.3);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side));
}

} // namespace PickerMarks
