#include "ui/style/PanelStyle.h"

#include "core/AppFont.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace PanelStyle {
namespace {

// The property that marks a subtree's root with its scheme; widgets below read it at paint time.
constexpr char kSchemeProperty[] = "tarnelPanelScheme";
constexpr qreal kBaseFontSize = 12;

QColor srgb(qreal r, qreal g, qreal b) { return QColor::fromRgbF(float(r), float(g), float(b), 1.0f); }
QColor grey(qreal white, qreal alpha) { return QColor::fromRgbF(float(white), float(white), float(white), float(alpha)); }

Colors makeDark()
{
    Colors c;
    c.accent = srgb(0.43, 0.72, 1.0);
    c.prominentForeground = srgb(0.045, 0.1, 0.18);
    c.primary = grey(1.0, 0.92);
    c.secondary = grey(1.0, 0.58);
    c.muted = grey(1.0, 0.36);
    c.surface = grey(1.0, 0.045);
    c.controlSurface = grey(1.0, 0.055);
    c.searchFieldBackground = grey(1.0, 0.055);
    c.hoverSurface = grey(1.0, 0.1);
    c.pressedSurface = grey(1.0, 0.14);
    c.border = grey(1.0, 0.075);
    c.divider = grey(1.0, 0.055);
    c.navigationSurface = grey(0.0, 0.16);
    c.quickAccessBackground = srgb(0.075, 0.085, 0.105);
    c.backgroundStart = srgb(0.035, 0.043, 0.06);
    c.backgroundEnd = srgb(0.075, 0.085, 0.115);
    c.systemRed = QColor(255, 69, 58);
    c.systemOrange = QColor(255, 159, 10);
    c.systemBlue = QColor(10, 132, 255);
    return c;
}

Colors makeLight()
{
    Colors c;
    c.accent = srgb(0.14, 0.39, 0.79);
    c.prominentForeground = QColor(Qt::white);
    c.primary = grey(0.08, 0.92);
    c.secondary = grey(0.2, 0.78);
    c.muted = grey(0.2, 0.55);
    c.surface = grey(0.0, 0.045);
    c.controlSurface = grey(0.0, 0.055);
    c.searchFieldBackground = QColor(Qt::white);
    c.hoverSurface = grey(0.0, 0.085);
    c.pressedSurface = grey(0.0, 0.12);
    c.border = grey(0.0, 0.09);
    c.divider = grey(0.0, 0.08);
    c.navigationSurface = grey(0.0, 0.055);
    c.quickAccessBackground = srgb(0.955, 0.965, 0.98);
    c.backgroundStart = srgb(0.985, 0.99, 0.995);
    c.backgroundEnd = srgb(0.91, 0.93, 0.96);
    c.systemRed = QColor(255, 59, 48);
    c.systemOrange = QColor(255, 149, 0);
    c.systemBlue = QColor(0, 122, 255);
    return c;
}

} // namespace

const Colors &colors(Scheme scheme)
{
    static const Colors dark = makeDark();
    static const Colors light = makeLight();
    return scheme == Scheme::Dark ? dark : light;
}

const Colors &colors(const QWidget *widget) { return colors(schemeOf(widget)); }

Scheme schemeFor(ClipboardAppearance appearance)
{
    return appearance == ClipboardAppearance::Light ? Scheme::Light : Scheme::Dark;
}

Scheme systemScheme()
{
    // Qt 6.4 has no colour-scheme hint; a dark desktop theme shows as a dark window colour.
    const QColor window = QApplication::palette().color(QPalette::Window);
    return qreal(window.lightnessF()) < 0.5 ? Scheme::Dark : Scheme::Light;
}

Scheme schemeOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QVariant value = w->property(kSchemeProperty);
        if (value.isValid())
            return value.toInt() == int(Scheme::Light) ? Scheme::Light : Scheme::Dark;
    }
    return systemScheme();
}

QPalette palette(Scheme scheme)
{
    const Colors &c = colors(scheme);
    QPalette p = QApplication::palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, c.backgroundStart);
        p.setColor(group, QPalette::WindowText, c.primary);
        p.setColor(group, QPalette::Text, c.primary);
        p.setColor(group, QPalette::ButtonText, c.primary);
        p.setColor(group, QPalette::Base, Qt::transparent);
        p.setColor(group, QPalette::AlternateBase, c.surface);
        p.setColor(group, QPalette::Button, c.controlSurface);
        p.setColor(group, QPalette::PlaceholderText, c.muted);
        p.setColor(group, QPalette::Highlight, withOpacity(c.accent, 0.35));
        p.setColor(group, QPalette::HighlightedText, c.primary);
        p.setColor(group, QPalette::Link, c.accent);
        p.setColor(group, QPalette::ToolTipBase, c.quickAccessBackground);
        p.setColor(group, QPalette::ToolTipText, c.primary);
    }
    p.setColor(QPalette::Disabled, QPalette::Text, c.muted);
    p.setColor(QPalette::Disabled, QPalette::WindowText, c.muted);
    return p;
}

void applyScheme(QWidget *root, Scheme scheme)
{
    if (!root)
        return;
    const bool changed = root->property(kSchemeProperty) != QVariant(int(scheme));
    root->setProperty(kSchemeProperty, int(scheme));
    // A new palette reaches every child without a palette of its own and repaints it; when only
    // the property changed (same palette), repaint explicitly.
    root->setPalette(palette(scheme));
    if (changed)
        root->update();
}

void styleMenu(QWidget *menu, Scheme scheme)
{
    constexpr qreal kMenuFontSize = 12;
    constexpr qreal kMenuHighlightOpacity = 0.35;
    applyScheme(menu, scheme);
    const Colors &c = colors(scheme);
    // Opaque: the menu stands over whatever lies behind it, not over the panel's gradient.
    QPalette p = menu->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, c.quickAccessBackground);
        p.setColor(group, QPalette::Base, c.quickAccessBackground);
        p.setColor(group, QPalette::Button, c.quickAccessBackground);
        p.setColor(group, QPalette::Highlight, withOpacity(c.accent, kMenuHighlightOpacity));
        p.setColor(group, QPalette::Light, c.divider);
        p.setColor(group, QPalette::Dark, c.divider);
        p.setColor(group, QPalette::Mid, c.divider);
    }
    menu->setPalette(p);
    menu->setFont(font(kMenuFontSize));
}

QColor withOpacity(const QColor &color, qreal opacity)
{
    QColor out = color;
    out.setAlphaF(float(qreal(color.alphaF()) * opacity));
    return out;
}

QColor mix(const QColor &from, const QColor &to, qreal t)
{
    const auto lerp = [t](float a, float b) { return a + (b - a) * float(t); };
    return QColor::fromRgbF(lerp(from.redF(), to.redF()), lerp(from.greenF(), to.greenF()),
                            lerp(from.blueF(), to.blueF()), lerp(from.alphaF(), to.alphaF()));
}

QLinearGradient background(const QRectF &rect, Scheme scheme)
{
    const Colors &c = colors(scheme);
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, c.backgroundStart);
    gradient.setColorAt(1, c.backgroundEnd);
    return gradient;
}

void fillBackground(QPainter &painter, const QRectF &rect, Scheme scheme)
{
    painter.fillRect(rect, background(rect, scheme));
}

QFont font(qreal size, int weight) { return AppFont::inter(size, weight); }

QFont exactFont(qreal size, int weight)
{
    QFont f = AppFont::inter(size, weight);
    // Without shaping, Latin text maps character to glyph one to one; scripts that need shaping
    // (Arabic, Indic) are still shaped by Qt whatever the strategy says.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

void installApplicationFont() { QApplication::setFont(font(kBaseFontSize)); }

QFont monospaceFont(qreal size)
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(AppFont::inter(size).pointSizeF());
    return f;
}

void fillRounded(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(rect, radius, radius);
    painter.restore();
}

void strokeRounded(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color, qreal width)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = width / 2;
    painter.drawRoundedRect(rect.adjusted(inset, inset, -inset, -inset), radius - inset, radius - inset);
    painter.restore();
}

} // namespace PanelStyle
