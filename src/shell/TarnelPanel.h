#pragma once

#include <QBrush>
#include <QPixmap>
#include <QWidget>

class DesktopCompositor;

// The notch panel's window: frameless, above other windows, without a taskbar entry, shown
// without taking the keyboard. It may still take the keyboard when Tarnel activates it (its
// search field and lists need it), but it never stands for the application as a main window.
//
// Given a frame, the window covers only the drawn part of it (the notch, not the panel it
// opens into), so that no compositor's shadow shows around what is not drawn.
//
// It is also what every Tarnel window that is not a rectangle is made of (the popover and the
// toast too): only its drawn region is on screen and takes the pointer, on every desktop.
// The window's bounding shape is that region: the window manager shapes its frame after it,
// so the pointer outside reaches the windows beneath. With a compositor the window is
// translucent and its shape keeps the pixels that the outline only touches, so the hosted
// view's soft edges blend with what lies beneath. Without one the shape holds the pixels
// whose centres the outline covers, and that rim is painted against the hosted view's own
// surface, never against a light default background. When the compositor starts or stops,
// the window is made anew in the other kind at once, placed and shown as it was.
class TarnelPanel : public QWidget {
    Q_OBJECT
public:
    explicit TarnelPanel(Qt::WindowFlags extraFlags = {}, QWidget *parent = nullptr);

    // The roles by which the desktop (and the end-to-end tests) tell Tarnel's windows apart.
    static constexpr char panelRole[] = "tarnel-panel";
    static constexpr char toastRole[] = "tarnel-toast";
    static constexpr char textSheetRole[] = "tarnel-text-sheet";
    static constexpr char popoverRole[] = "tarnel-popover";
    static constexpr char onboardingRole[] = "tarnel-onboarding";
    static constexpr char settingsRole[] = "tarnel-settings";

    // The part of the window that is drawn and can be clicked; empty shows the whole window.
    // With a frame, the region is in the frame's coordinates, and `extent` (there too) is a
    // part of the frame the window covers even where nothing is drawn: an outline that grows
    // and shrinks on every frame of an animation keeps one window for the animation's length.
    void setDrawnRegion(const QRegion &region, const QRect &extent = {});
    QRegion drawnRegion() const { return m_drawnRegion; }
    // The drawn region becomes the whole window (or frame) with rounded corners of this
    // radius, kept so as the window is resized; a new setDrawnRegion ends that.
    void setRoundedOutline(qreal radius);

    // Where the hosted view is laid out, in screen coordinates: from now on the window is
    // only as large as what is drawn in it, its place in the frame, and the view is shifted
    // inside it so that it draws where the frame puts it. A compositor draws each window's
    // shadow from its rectangle whatever its shape, so a window larger than its outline would
    // darken the screen over all of its rectangle. Without a frame, the window is the frame.
    void setFrame(const QRect &frame);
    QRect frame() const { return m_frame.isNull() ? geometry() : m_frame; }

    // Follows the desktop's compositor from now on; without one the window is never translucent.
    void followDesktop(DesktopCompositor *compositor);
    bool isTranslucent() const { return testAttribute(Qt::WA_TranslucentBackground); }
    // While the window is made anew: hiding it then is no closing.
    bool isBeingRemade() const { return m_remaking; }
    // What the hosted view fills its outline with (a colour or a gradient in the window's
    // coordinates): the ground of the rim without a compositor.
    void setSurface(const QBrush &surface);
    QBrush surface() const { return m_surface; }

    // The parts of the screen where the program's own windows stand over this one: nothing of it
    // is drawn or takes the pointer there. A compositor that draws every window beside the
    // manager over every window it manages (kwin's) would otherwise show this window over the
    // settings or a dialog the server stacks above it.
    void setCoveredRegion(const QRegion &screenRegion);

    // Where the window takes the pointer, in its own coordinates, when that is less than its
    // shape (an outline moving inside a translucent window's extent); empty: all of its shape.
    QRegion pointerRegion() const { return m_pointerRegion; }

    // The panel's child widget that fills it (the hosted view).
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

Q_SIGNALS:
    // The window was made anew for the other kind of desktop (and shown again if it was).
    void remade();
    // The region where the window takes the pointer changed (see pointerRegion()).
    void pointerRegionChanged(const QRegion &region);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setTranslucent(bool translucent);
    void applyShape();
    // The window's part of the frame, in the frame's coordinates.
    QRect shownPart() const;

    QRegion m_drawnRegion;
    QRegion m_pointerRegion;
    // In screen coordinates.
    QRegion m_covered;
    QRect m_extent;
    QRect m_frame;
    // Where the window lies in the frame; nothing without one.
    QPoint m_offset;
    qreal m_roundedRadius = -1;
    QBrush m_surface;
    // A gradient surface drawn once: the rim is repainted on every frame of the notch's
    // animations, and copying its pixels costs a fraction of computing the gradient again.
    QPixmap m_surfacePicture;
    bool m_remaking = false;
    QWidget *m_content = nullptr;
};

// The pixels of a rectangle with rounded corners as the views draw it (antialiased circular
// corners), each pixel counted in when the outline covers its centre.
QRegion roundedRegion(const QRect &rect, qreal radius);
// The region and every pixel next to it: whatever a soft edge along its outline touches.
QRegion withSoftEdge(const QRegion &region);
