#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

// A fixed one-line text kept as a picture once drawn, for texts repainted on every frame of an
// animation. Shaping a text costs more than a whole frame of copying pixels, and the texts that
// move with the notch's notice stay the same for the length of the animation. The picture is
// drawn again only when the text, font, colour or pixel ratio changes; like PanelText::drawFixed
// it reports a text given less room than it needs.
class TextPicture {
public:
    // Width of the text in the font, rounded up to whole pixels (kept with the picture).
    int width(const QFont &font, const QString &text);
    void draw(QPainter &painter, const QRectF &rect, const QFont &font, const QString &text, const QColor &color,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

private:
    void measure(const QFont &font, const QString &text);

    QFont m_font;
    QString m_text;
    bool m_measured = false;
    int m_width = 0;
    int m_height = 0;
    QColor m_color;
    qreal m_ratio = 0;
    QPixmap m_picture;
};
