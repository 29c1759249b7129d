#include "shell/TarnelPanel.h"

#include "core/Logging.h"
#include "platform/DesktopCompositor.h"
#include "platform/PanelWindowTraits.h"
#include "shell/HostedContent.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

TarnelPanel::TarnelPanel(Qt::WindowFlags extraFlags, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                          | Qt::NoDropShadowWindowHint | extraFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Tarnel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void TarnelPanel::setDrawnRegion(const QRegion &region)
{
    m_roundedRadius = -1;
    if (region == m_drawnRegion)
        return;
    m_drawnRegion = region;
    applyShape();
}

void TarnelPanel::setRoundedOutline(qreal radius)
{
    m_roundedRadius = radius;
    const QRegion region = roundedRegion(rect(), radius);
    if (region == m_drawnRegion)
        return;
    m_drawnRegion = region;
    applyShape();
}

void TarnelPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_roundedRadius >= 0) {
        m_drawnRegion = roundedRegion(rect(), m_roundedRadius);
        applyShape();
    }
}

void TarnelPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window made anew while hidden gets its input shape once it exists again.
    if (m_traits && !m_pointerShapeApplied)
        applyShape();
}

void TarnelPanel::followDesktop(DesktopCompositor *compositor, PanelWindowTraits &traits)
{
    m_traits = &traits;
    m_compositor = compositor;
    if (compositor)
        connect(compositor, &DesktopCompositor::runningChanged, this, &TarnelPanel::setTranslucent);
    setTranslucent(compositor && compositor->isRunning());
    m_pointerShapeApplied = false;
    applyShape();
}

void TarnelPanel::setSurface(const QBrush &surface)
{
    if (surface == m_surface)
        return;
    m_surface = surface;
    if (!isTranslucent())
        update();
}

void TarnelPanel::setTranslucent(bool translucent)
{
    if (translucent == isTranslucent())
        return;
    // The depth of a window is fixed when the window system makes it: a window of the other
    // kind replaces it. A window not made yet simply comes out of the right kind.
    const bool made = testAttribute(Qt::WA_WState_Created);
    const bool shown = isVisible();
    const bool active = isActiveWindow();
    const QRect frame = geometry();
    m_remaking = true;
    if (made) {
        hide();
        destroy();
    }
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    // Translucency turned the system background off; an opaque window needs it back.
    if (!translucent)
        setAttribute(Qt::WA_NoSystemBackground, false);
    m_pointerShapeApplied = false;
    if (made && shown) {
        setGeometry(frame);
        show();
        if (active)
            activateWindow();
    }
    m_remaking = false;
    applyShape();
    if (made) {
        qCInfo(lcShell) << "Window" << windowRole() << (translucent ? "made translucent" : "made opaque and shaped");
        Q_EMIT remade();
    }
}

void TarnelPanel::applyShape()
{
    // Without a compositor, what lies outside the bounding shape is the desktop beneath; with
    // one, the window is transparent there and only needs to let the pointer through.
    QRegion pointerShape;
    if (isTranslucent()) {
        clearMask();
        pointerShape = m_drawnRegion;
    } else if (m_drawnRegion.isEmpty()) {
        clearMask();
    } else {
        setMask(m_drawnRegion);
    }
    if (!m_traits || (m_pointerShapeApplied && pointerShape == m_appliedPointerShape))
        return;
    // The input shape belongs to the window system's window: only one that exists takes it.
    if (!testAttribute(Qt::WA_WState_Created) && pointerShape.isEmpty())
        return;
    m_traits->setPointerShape(*this, pointerShape);
    m_appliedPointerShape = pointerShape;
    m_pointerShapeApplied = true;
}

void TarnelPanel::paintEvent(QPaintEvent *event)
{
    if (isTranslucent() || m_surface.style() == Qt::NoBrush) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), m_surface);
}

void TarnelPanel::setContent(QWidget *content)
{
    replaceHostedContent(*this, m_content, content);
}

QRegion roundedRegion(const QRect &rect, qreal radius)
{
    if (rect.isEmpty())
        return {};
    if (radius <= 0)
        return QRegion(rect);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}
