#include "platform/x11/RegionOverlay.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace {

const QColor kDim(0, 0, 0, 110);
const QColor kFrame(255, 255, 255, 230);
// Another program may hold the keyboard for a moment (a shortcut whose keys are still down):
// try again for about a second, so that Escape keeps working.
constexpr std::chrono::milliseconds kGrabRetryInterval{50};
constexpr int kGrabAttempts = 20;

} // namespace

RegionOverlay::RegionOverlay(const QImage &shot, const QRect &geometry)
    // Bypassing the window manager keeps the layer exactly over the desktop, above panels and
    // docks, without a frame or an animation that would show in the selection.
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint),
      m_shot(shot)
{
    setObjectName(QStringLiteral("TarnelRegionOverlay"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setGeometry(geometry);
}

RegionOverlay::~RegionOverlay()
{
    if (isVisible()) {
        releaseKeyboard();
        releaseMouse();
    }
}

void RegionOverlay::present()
{
    show();
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    // Without a window manager's focus the keys would go elsewhere; Escape must reach us.
    grabKeyboard();
    grabMouse(Qt::CrossCursor);
    retryKeyboardGrab(kGrabAttempts);
}

void RegionOverlay::retryKeyboardGrab(int attemptsLeft)
{
    if (m_finished || !windowHandle() || windowHandle()->setKeyboardGrabEnabled(true) || attemptsLeft <= 0)
        return;
    QTimer::singleShot(kGrabRetryInterval, this, [this, attemptsLeft] { retryKeyboardGrab(attemptsLeft - 1); });
}

QRect RegionOverlay::currentSelection() const
{
    const QPoint topLeft(std::min(m_anchor.x(), m_cursor.x()), std::min(m_anchor.y(), m_cursor.y()));
    const QSize size(std::abs(m_cursor.x() - m_anchor.x()), std::abs(m_cursor.y() - m_anchor.y()));
    return QRect(topLeft, size).intersected(rect());
}

void RegionOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(rect(), m_shot);
    const QRect selection = m_dragging ? currentSelection() : QRect();
    // Dim everything outside the selection, so that the chosen part shows as it will be saved.
    QRegion dimmed(rect());
    if (!selection.isEmpty())
        dimmed -= QRegion(selection);
    painter.setClipRegion(dimmed);
    painter.fillRect(rect(), kDim);
    painter.setClipping(false);
    if (!selection.isEmpty()) {
        painter.setPen(QPen(kFrame, 1));
        painter.drawRect(selection.adjusted(0, 0, -1, -1));
    }
}

void RegionOverlay::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        // The pointer's way out, for when the keyboard is held by another program.
        finish();
        Q_EMIT cancelled();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_anchor = event->position().toPoint();
    m_cursor = m_anchor;
    update();
}

void RegionOverlay::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    m_cursor = event->position().toPoint();
    update();
}

void RegionOverlay::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return;
    m_cursor = event->position().toPoint();
    m_dragging = false;
    const QRect selection = currentSelection();
    update();
    if (selection.width() < 1 || selection.height() < 1)
        return; // a click, not a selection: let the user drag again
    finish();
    Q_EMIT regionSelected(selection);
}

void RegionOverlay::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    finish();
    Q_EMIT cancelled();
}

void RegionOverlay::closeEvent(QCloseEvent *event)
{
    // Closed from outside (the window system, the program quitting): the same as Escape.
    const bool wasOpen = !m_finished;
    finish();
    QWidget::closeEvent(event);
    if (wasOpen)
        Q_EMIT cancelled();
}

void RegionOverlay::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    releaseKeyboard();
    releaseMouse();
    hide();
}
