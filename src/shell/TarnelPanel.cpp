#include "shell/TarnelPanel.h"

#include "core/Logging.h"
#include "platform/DesktopCompositor.h"
#include "shell/HostedContent.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

TarnelPanel::TarnelPanel(Qt::WindowFlags extraFlags, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint | extraFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Shown without taking the keyboard, the window is rarely the active one, and Qt shows
    // tooltips in the active window only: the buttons that show a symbol alone would never
    // say their names.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Tarnel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void TarnelPanel::setDrawnRegion(const QRegion &region, const QRect &extent)
{
    m_roundedRadius = -1;
    if (region == m_drawnRegion && extent == m_extent)
        return;
    m_drawnRegion = region;
    m_extent = extent;
    applyShape();
}

void TarnelPanel::setCoveredRegion(const QRegion &screenRegion)
{
    if (screenRegion == m_covered)
        return;
    m_covered = screenRegion;
    applyShape();
}

void TarnelPanel::setRoundedOutline(qreal radius)
{
    m_roundedRadius = radius;
    m_extent = QRect();
    const QRegion region = roundedRegion(QRect(QPoint(), frame().size()), radius);
    if (region == m_drawnRegion)
        return;
    m_drawnRegion = region;
    applyShape();
}

void TarnelPanel::setFrame(const QRect &frame)
{
    if (m_frame.isNull()) {
        // The view keeps the frame's size and place, whatever the window's: no layout may fit
        // it to the window, nor hold the window at the view's own minimum size.
        delete layout();
        setMinimumSize(0, 0);
    }
    m_frame = frame;
    if (m_roundedRadius >= 0)
        m_drawnRegion = roundedRegion(QRect(QPoint(), frame.size()), m_roundedRadius);
    applyShape();
}

void TarnelPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // With a frame the window is sized from the drawn region, never the other way round.
    if (m_roundedRadius >= 0 && m_frame.isNull()) {
        m_drawnRegion = roundedRegion(rect(), m_roundedRadius);
        applyShape();
    }
}

void TarnelPanel::followDesktop(DesktopCompositor *compositor)
{
    if (compositor)
        connect(compositor, &DesktopCompositor::runningChanged, this, &TarnelPanel::setTranslucent);
    setTranslucent(compositor && compositor->isRunning());
}

void TarnelPanel::setSurface(const QBrush &surface)
{
    if (surface == m_surface)
        return;
    m_surface = surface;
    m_surfacePicture = QPixmap();
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
    if (made) {
        // Placed explicitly, shown or not: a new window whose place was never set is placed
        // by the window manager wherever it likes when it next shows.
        setGeometry(frame);
        if (shown) {
            show();
            if (active)
                activateWindow();
        }
    }
    m_remaking = false;
    applyShape();
    if (made) {
        qCInfo(lcShell) << "Window" << windowRole() << (translucent ? "made translucent" : "made opaque and shaped");
        Q_EMIT remade();
    }
}

QRect TarnelPanel::shownPart() const
{
    const QRect whole(QPoint(), m_frame.size());
    if (m_drawnRegion.isEmpty())
        return whole;
    const QRegion drawn = isTranslucent() ? withSoftEdge(m_drawnRegion) : m_drawnRegion;
    return (drawn.boundingRect() | m_extent) & whole;
}

void TarnelPanel::applyShape()
{
    const QRegion drawn = isTranslucent() ? withSoftEdge(m_drawnRegion) : m_drawnRegion;
    if (!m_frame.isNull()) {
        const QRect part = shownPart();
        const QRect place = part.translated(m_frame.topLeft());
        // The window system moves the window first and takes its new shape after, and the old
        // shape, kept at the moved top-left corner, would cut away what is drawn: the screen
        // beneath would show there until the window painted again. So before the move the
        // shape holds the new outline as well, in the moved window's coordinates. Where either
        // part meets the window out of its time, the window has drawn nothing yet, and as its
        // picture stays in place on the screen (PanelWindowTraits::keepPictureInPlace), the
        // screen shows what it showed until the new outline alone is the shape.
        if (place.topLeft() != geometry().topLeft() && isVisible() && !drawn.isEmpty() && !mask().isEmpty())
            setMask(mask() | (drawn.translated(-part.topLeft()) & QRect(QPoint(), part.size())));
        // A compositor that reads the shape as the window is configured (marco) may read it
        // before a shape sent after the move reaches the server, and keep the old outline for as
        // long as the outline moves: the whole window the outline moves in is its shape before it
        // is configured (see below).
        if (isTranslucent() && !m_extent.isNull() && !drawn.isEmpty() && isVisible() && place != geometry())
            setMask(QRegion(QRect(QPoint(), place.size()) | rect()));
        m_offset = part.topLeft();
        setGeometry(place);
        if (m_content)
            m_content->setGeometry(QRect(-m_offset, m_frame.size()));
    }
    // An input shape alone would not do: the window manager's frame around the window takes
    // the clicks that the window lets through, and only the bounding shape is passed on to it.
    // Some compositors (marco's) read a window's shape only when the window is configured, and
    // draw nothing of a window that bypasses the manager beyond the shape they read then: an
    // outline that grew inside an unchanged window would stay cut to an earlier frame for as
    // long as it shows. So while a translucent window's outline moves inside its extent, the
    // whole window is the shape, transparent where the outline leaves it, and the pointer is
    // taken within the outline only; at rest the outline is the shape again, never larger than
    // the one such a compositor holds.
    // The program's own windows over this one are cut out of both.
    const bool moving = isTranslucent() && !m_extent.isNull() && !drawn.isEmpty();
    const QRegion covered = m_covered.translated(-geometry().topLeft()) & rect();
    const QRegion outline = (drawn.translated(-m_offset) & rect()) - covered;
    if (drawn.isEmpty() && covered.isEmpty()) {
        clearMask();
    } else {
        QRegion shape = drawn.isEmpty() || moving ? QRegion(rect()) - covered : outline;
        // An empty mask is no mask at all, the whole window: wholly covered, one corner pixel
        // stays, which a translucent window leaves clear and another window covers.
        if (shape.isEmpty())
            shape = QRegion(0, 0, 1, 1);
        setMask(shape);
    }
    const QRegion pointer = moving ? outline : QRegion();
    if (pointer != m_pointerRegion) {
        m_pointerRegion = pointer;
        Q_EMIT pointerRegionChanged(m_pointerRegion);
    }
}

void TarnelPanel::paintEvent(QPaintEvent *event)
{
    if (isTranslucent() || m_surface.style() == Qt::NoBrush) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    if (m_surface.style() == Qt::SolidPattern) {
        painter.fillRect(event->rect(), m_surface);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize whole = frame().size();
    if (m_surfacePicture.deviceIndependentSize() != QSizeF(whole) || m_surfacePicture.devicePixelRatio() != ratio) {
        m_surfacePicture = QPixmap(whole * ratio);
        m_surfacePicture.setDevicePixelRatio(ratio);
        QPainter picture(&m_surfacePicture);
        picture.fillRect(QRect(QPoint(), whole), m_surface);
    }
    // Only the part to repaint is copied: the painter is clipped to it.
    // The surface is given in the frame's coordinates, as the hosted view draws.
    painter.drawPixmap(-m_offset, m_surfacePicture);
}

void TarnelPanel::setContent(QWidget *content)
{
    replaceHostedContent(*this, m_content, content);
    if (m_content && !m_frame.isNull())
        m_content->setGeometry(QRect(-m_offset, m_frame.size()));
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

QRegion withSoftEdge(const QRegion &region)
{
    const QRegion wider = region.united(region.translated(-1, 0)).united(region.translated(1, 0));
    return wider.united(wider.translated(0, -1)).united(wider.translated(0, 1));
}
