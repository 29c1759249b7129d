#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

// The full-screen layer of a region capture: shows one still grab of the screen, dimmed, and
// lets the user drag a rectangle on it. A click without a drag selects nothing and keeps the
// layer open; Escape or a right click gives up.
class RegionOverlay : public QWidget
{
    Q_OBJECT
public:
    // `shot` covers `geometry` (the whole desktop, in logical pixels) at the screen's pixel ratio.
    RegionOverlay(const QImage &shot, const QRect &geometry);
    ~RegionOverlay() override;

    // Shows the layer on top of everything and takes the keyboard and the pointer.
    void present();

Q_SIGNALS:
    // The dragged rectangle, in the layer's logical pixels.
    void regionSelected(const QRect &region);
    void cancelled();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QRect currentSelection() const;
    void retryKeyboardGrab(int attemptsLeft);
    void finish();

    QImage m_shot;
    bool m_dragging = false;
    bool m_finished = false;
    QPoint m_anchor;
    QPoint m_cursor;
};
