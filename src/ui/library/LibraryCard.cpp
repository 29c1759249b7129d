#include "ui/library/LibraryCard.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QPainter>

namespace {
constexpr int kButtonSpacing = 8;
constexpr int kStackSpacing = 4;
constexpr int kSymbolGap = 5;
constexpr int kDefaultWidth = 380;
} // namespace

LibraryCard::LibraryCard(const QString &symbol, const QString &title, const QString &message, Look look, QWidget *parent)
    : QWidget(parent), m_symbol(symbol), m_title(title), m_message(message), m_look(look)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setAccessibleName(title);
}

void LibraryCard::setTexts(const QString &title, const QString &message)
{
    m_title = title;
    m_message = message;
    updateGeometry();
    update();
}

void LibraryCard::addButton(QWidget *button)
{
    button->setParent(this);
    m_buttons.append(button);
    button->show();
    placeButtons();
    updateGeometry();
}

QList<QWidget *> LibraryCard::shownButtons() const
{
    QList<QWidget *> shown;
    for (QWidget *button : m_buttons) {
        if (!button->isHidden())
            shown.append(button);
    }
    return shown;
}

QSize LibraryCard::stackSize() const
{
    QSize size;
    for (QWidget *button : shownButtons()) {
        const QSize hint = button->sizeHint();
        size.setWidth(std::max(size.width(), hint.width()));
        size.setHeight(size.height() + (size.height() > 0 ? kStackSpacing : 0) + hint.height());
    }
    return size;
}

qreal LibraryCard::textWidth(int width) const
{
    qreal room = width - 2 * m_look.padding;
    if (m_look.buttons == Buttons::Beside) {
        for (QWidget *button : m_buttons)
            room -= button->sizeHint().width() + kButtonSpacing;
    } else if (m_look.buttons == Buttons::Stacked) {
        const int stack = stackSize().width();
        room -= stack > 0 ? stack + kButtonSpacing : 0;
    }
    return std::max<qreal>(room, 0);
}

qreal LibraryCard::textHeight(qreal width) const
{
    const QFont title = PanelStyle::font(m_look.titleSize, m_look.titleWeight);
    const QFont message = PanelStyle::font(m_look.messageSize);
    return PanelText::lineHeight(title) + m_look.spacing +
           PanelText::drawWrapped(nullptr, QRectF(0, 0, width, 1000), message, m_message, Qt::AlignLeft, 0);
}

int LibraryCard::heightForWidth(int width) const
{
    qreal height = textHeight(textWidth(width));
    int buttons = 0;
    for (QWidget *button : m_buttons)
        buttons = std::max(buttons, button->sizeHint().height());
    if (m_look.buttons == Buttons::Below)
        height += buttons ? kButtonSpacing + buttons : 0;
    else if (m_look.buttons == Buttons::Stacked)
        height = std::max<qreal>(height, stackSize().height());
    else
        height = std::max<qreal>(height, buttons);
    return int(std::ceil(height)) + 2 * m_look.padding;
}

QSize LibraryCard::sizeHint() const
{
    const int width = parentWidget() && parentWidget()->width() > 0 ? parentWidget()->width() : kDefaultWidth;
    return QSize(width, heightForWidth(width));
}

void LibraryCard::placeButtons()
{
    if (m_look.buttons == Buttons::Beside) {
        int x = width() - m_look.padding;
        for (qsizetype i = m_buttons.size() - 1; i >= 0; --i) {
            if (m_buttons[i]->isHidden())
                continue;
            const QSize size = m_buttons[i]->sizeHint();
            x -= size.width();
            m_buttons[i]->setGeometry(x, (height() - size.height()) / 2, size.width(), size.height());
            x -= kButtonSpacing;
        }
        return;
    }
    if (m_look.buttons == Buttons::Stacked) {
        const QSize stack = stackSize();
        const int x = width() - m_look.padding - stack.width();
        int y = (height() - stack.height()) / 2;
        for (QWidget *button : shownButtons()) {
            const int buttonHeight = button->sizeHint().height();
            button->setGeometry(x, y, stack.width(), buttonHeight);
            y += buttonHeight + kStackSpacing;
        }
        return;
    }
    int x = m_look.padding;
    const int y = m_look.padding + int(std::ceil(textHeight(textWidth(width())))) + kButtonSpacing;
    for (QWidget *button : m_buttons) {
        if (button->isHidden())
            continue;
        const QSize size = button->sizeHint();
        button->setGeometry(x, y, size.width(), size.height());
        x += size.width() + kButtonSpacing;
    }
}

void LibraryCard::resizeEvent(QResizeEvent *) { placeButtons(); }

void LibraryCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &c = PanelStyle::colors(this);
    PanelStyle::fillRounded(painter, rect(), m_look.radius, m_look.fill == Fill::Surface ? c.surface : c.controlSurface);
    const QFont title = PanelStyle::font(m_look.titleSize, m_look.titleWeight);
    const QFont message = PanelStyle::font(m_look.messageSize);
    const qreal width = textWidth(this->width());
    const qreal blockHeight = textHeight(width);
    qreal top = m_look.buttons == Buttons::Below ? m_look.padding : (height() - blockHeight) / 2.0;
    qreal left = m_look.padding;
    const int titleHeight = PanelText::lineHeight(title);
    if (!m_symbol.isEmpty()) {
        const qreal side = PanelIcons::side(m_look.titleSize);
        PanelIcons::paint(painter, QRectF(left, top, side, titleHeight), m_symbol, m_look.titleSize, c.primary);
        left += side + kSymbolGap;
    }
    painter.setPen(c.primary);
    PanelText::drawElided(painter, QRectF(left, top, m_look.padding + width - left, titleHeight), title, m_title);
    top += titleHeight + m_look.spacing;
    painter.setPen(c.secondary);
    PanelText::drawWrapped(&painter, QRectF(m_look.padding, top, width, height() - top), message, m_message, Qt::AlignLeft, 0);
}
