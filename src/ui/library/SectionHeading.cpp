#include "ui/library/SectionHeading.h"

#include "core/L10n.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

QFont titleFont() { return PanelStyle::font(ScreenHeading::kTitleSize, QFont::DemiBold); }
QFont countFont() { return PanelStyle::font(ScreenHeading::kCountSize, QFont::DemiBold); }
QFont detailFont() { return PanelStyle::font(ScreenHeading::kDetailSize); }

QString countText(int count) { return QString::number(count); }

int capsuleWidth(int count) { return PanelText::width(countFont(), countText(count)) + 2 * ScreenHeading::kCountPadding; }

} // namespace

ScreenHeading::ScreenHeading(QWidget *parent) : QWidget(parent)
{
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(kSpacing);
    // The tile is repainted with the symbol of the section, so it is drawn here rather than kept.
    m_textSlot = new QWidget(this);
    m_textSlot->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_textSlot->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_layout->addSpacing(kTileSide + kSpacing); // the tile is painted; no spacing follows a spacer
    m_layout->addWidget(m_textSlot, 1);
    setMinimumHeight(kMinimumHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ScreenHeading::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    update();
}

void ScreenHeading::setTitle(const QString &title)
{
    m_title = title;
    setAccessibleName(title);
    updateGeometry();
    update();
}

void ScreenHeading::setDetail(const QString &detail)
{
    m_detail = detail;
    update();
}

void ScreenHeading::setCount(std::optional<int> count)
{
    m_count = count;
    update();
}

void ScreenHeading::setLeading(QWidget *view)
{
    delete m_leading;
    m_leading = view;
    if (view) {
        view->setParent(this);
        m_layout->insertWidget(0, view, 0, Qt::AlignVCenter);
    }
}

void ScreenHeading::setAccessory(QWidget *view)
{
    delete m_accessory;
    m_accessory = view;
    if (view) {
        view->setParent(this);
        m_layout->addWidget(view, 0, Qt::AlignVCenter);
    }
}

QString ScreenHeading::clearTitle() { return L10n::text(QStringLiteral("Vymazať všetko")); }

PanelButton *ScreenHeading::clearButton(const QString &help, QWidget *parent)
{
    auto *button = new PanelButton(clearTitle(), false, kButtonHeight, kButtonPadding, parent);
    button->setSymbol(QStringLiteral("trash"), kButtonTextSize);
    button->setFont(PanelStyle::font(kButtonTextSize, QFont::Medium));
    button->setToolTip(help);
    button->setAccessibleName(help);
    return button;
}

QSize ScreenHeading::sizeHint() const
{
    QSize hint = QWidget::sizeHint();
    hint.setHeight(std::max(hint.height(), kMinimumHeight));
    int width = kTileSide + 2 * kSpacing + PanelText::width(titleFont(), m_title);
    if (m_count)
        width += kCountSpacing + capsuleWidth(*m_count);
    hint.setWidth(std::max(hint.width(), width));
    return hint;
}

QSize ScreenHeading::minimumSizeHint() const { return QSize(kTileSide, kMinimumHeight); }

QRectF ScreenHeading::textRect() const { return QRectF(m_textSlot->geometry()); }

void ScreenHeading::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);

    const int tileX = m_leading ? m_leading->geometry().right() + 1 + kSpacing : 0;
    const QRectF tile(tileX, (height() - kTileSide) / 2.0, kTileSide, kTileSide);
    PanelStyle::fillRounded(painter, tile, kTileRadius, PanelStyle::withOpacity(colors.accent, kTintOpacity));
    PanelIcons::paint(painter, tile, m_symbol, kTileSymbolSize, colors.accent);

    const QRectF room = textRect();
    painter.setPen(colors.primary);
    if (m_count) {
        const int capsule = capsuleWidth(*m_count);
        const qreal titleWidth =
            std::min<qreal>(PanelText::width(titleFont(), m_title), room.width() - capsule - kCountSpacing);
        PanelText::drawElided(painter, QRectF(room.left(), room.top(), std::max<qreal>(0, titleWidth), room.height()),
                              titleFont(), m_title);
        const QRectF pill(room.left() + std::max<qreal>(0, titleWidth) + kCountSpacing,
                          room.center().y() - kCountHeight / 2.0, capsule, kCountHeight);
        PanelStyle::fillRounded(painter, pill, kCountHeight / 2.0, PanelStyle::withOpacity(colors.accent, kTintOpacity));
        painter.setPen(colors.accent);
        PanelText::drawFixed(painter, pill, countFont(), countText(*m_count), Qt::AlignCenter);
        return;
    }
    const int titleHeight = PanelText::lineHeight(titleFont());
    if (m_detail.isEmpty()) {
        PanelText::drawElided(painter, room, titleFont(), m_title);
        return;
    }
    const int detailHeight = PanelText::lineHeight(detailFont());
    const qreal top = room.center().y() - (titleHeight + kDetailSpacing + detailHeight) / 2.0;
    PanelText::drawElided(painter, QRectF(room.left(), top, room.width(), titleHeight), titleFont(), m_title);
    painter.setPen(colors.secondary);
    PanelText::drawElided(painter, QRectF(room.left(), top + titleHeight + kDetailSpacing, room.width(), detailHeight),
                          detailFont(), m_detail);
}

GroupHeading::GroupHeading(const QString &title, const QString &detail, QWidget *parent)
    : QWidget(parent), m_title(title), m_detail(detail)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void GroupHeading::setTexts(const QString &title, const QString &detail)
{
    m_title = title;
    m_detail = detail;
    update();
}

QSize GroupHeading::sizeHint() const
{
    const QFont font = PanelStyle::font(kTextSize, QFont::Medium);
    return QSize(PanelText::width(font, m_title) + PanelText::width(font, m_detail) + 2 * kHorizontalPadding + 8,
                 PanelText::lineHeight(font));
}

void GroupHeading::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    const QFont font = PanelStyle::font(kTextSize, QFont::Medium);
    const QRectF room = QRectF(rect()).adjusted(kHorizontalPadding, 0, -kHorizontalPadding, 0);
    painter.setPen(colors.secondary);
    const int detailWidth = std::min<int>(PanelText::width(font, m_detail), int(room.width() / 2));
    PanelText::drawElided(painter, QRectF(room.right() - detailWidth, room.top(), detailWidth, room.height()), font,
                          m_detail, Qt::AlignRight | Qt::AlignVCenter);
    painter.setPen(colors.muted);
    PanelText::drawElided(painter, room.adjusted(0, 0, -detailWidth - 4, 0), font, m_title);
}
