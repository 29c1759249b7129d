#include "ui/style/TextPicture.h"

#include "ui/style/PanelText.h"

#include <QPaintDevice>
#include <QPainter>

namespace {
// Sub-pixel differences between measuring and drawing are not cuts (as for drawn texts).
constexpr qreal kTolerance = 0.5;
} // namespace

void TextPicture::measure(const QFont &font, const QString &text)
{
    if (m_measured && text == m_text && font == m_font)
        return;
    m_font = font;
    m_text = text;
    m_measured = true;
    m_width = PanelText::width(font, text);
    m_height = PanelText::lineHeight(font);
    m_picture = QPixmap();
}

int TextPicture::width(const QFont &font, const QString &text)
{
    measure(font, text);
    return m_width;
}

void TextPicture::draw(QPainter &painter, const QRectF &rect, const QFont &font, const QString &text,
                       const QColor &color, Qt::Alignment alignment)
{
    measure(font, text);
    if (m_width > rect.width() + kTolerance || m_height > rect.height() + kTolerance)
        PanelText::reportCut(text, rect);
    if (m_width <= 0 || m_height <= 0)
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (m_picture.isNull() || color != m_color || ratio != m_ratio) {
        m_color = color;
        m_ratio = ratio;
        m_picture = QPixmap(QSize(m_width, m_height) * ratio);
        m_picture.setDevicePixelRatio(ratio);
        m_picture.fill(Qt::transparent);
        QPainter picture(&m_picture);
        picture.setPen(color);
        PanelText::drawFixed(picture, QRectF(0, 0, m_width, m_height), font, text);
    }
    qreal x = rect.left();
    if (alignment & Qt::AlignHCenter)
        x += (rect.width() - m_width) / 2;
    else if (alignment & Qt::AlignRight)
        x = rect.right() - m_width;
    qreal y = rect.top();
    if (alignment & Qt::AlignVCenter)
        y += (rect.height() - m_height) / 2;
    else if (alignment & Qt::AlignBottom)
        y = rect.bottom() - m_height;
    painter.drawPixmap(QPointF(x, y), m_picture);
}
