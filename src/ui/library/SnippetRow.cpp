#include "ui/library/SnippetRow.h"

#include "core/L10n.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/style/ShortcutBadge.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
QFont nameFont() { return PanelStyle::font(SnippetRow::kNameSize, QFont::Medium); }
QFont textFont() { return PanelStyle::font(SnippetRow::kTextSize); }
} // namespace

SnippetRow::SnippetRow(const ClipboardSnippet &snippet, bool isSelected, QWidget *parent)
    : QWidget(parent), m_snippet(snippet), m_selected(isSelected)
{
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(L10n::text(QStringLiteral("Vložiť %@")).replace(QStringLiteral("%@"), snippet.name));
    auto *edit = new PanelButton(QString(), false, kEditSide, 0, this);
    edit->setSymbol(QStringLiteral("pencil"), kArrowSize);
    edit->setFixedSize(kEditSide, kEditSide);
    edit->setToolTip(L10n::text(QStringLiteral("Upraviť skratku")));
    edit->setAccessibleName(edit->toolTip());
    connect(edit, &PanelButton::clicked, this, [this] { Q_EMIT editRequested(m_snippet.id); });
    m_edit = edit;
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString SnippetRow::textLines() const
{
    const QStringList lines = m_snippet.text.split(QLatin1Char('\n'));
    return lines.mid(0, kTextLines).join(QLatin1Char('\n'));
}

void SnippetRow::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

QSize SnippetRow::sizeHint() const
{
    const int lines = std::min<int>(kTextLines, int(m_snippet.text.count(QLatin1Char('\n'))) + 1);
    const int height = 2 * kVerticalPadding + PanelText::lineHeight(nameFont()) + kTextSpacing +
                       lines * PanelText::lineHeight(textFont());
    return QSize(300, std::max(height, kEditSide + 2 * kVerticalPadding));
}

void SnippetRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &c = PanelStyle::colors(this);
    PanelStyle::fillRounded(painter, rect(), kCornerRadius,
                            m_selected ? PanelStyle::withOpacity(c.accent, kSelectedOpacity) : c.surface);

    qreal right = m_edit->x() - kSpacing;
    const QRectF arrow(right - kArrowSize, 0, kArrowSize, height());
    PanelIcons::paint(painter, arrow, QStringLiteral("arrow.up.left"), kArrowSize, c.muted);
    right = arrow.left() - kSpacing;
    if (!m_snippet.trigger.isEmpty()) {
        const QSize badge = ShortcutBadge::sizeFor(m_snippet.trigger);
        const QRectF badgeRect(right - badge.width(), (height() - badge.height()) / 2.0, badge.width(), badge.height());
        ShortcutBadge::paint(painter, badgeRect, m_snippet.trigger, c);
        right = badgeRect.left() - kSpacing;
    }
    const qreal left = kLeadingPadding;
    const int nameHeight = PanelText::lineHeight(nameFont());
    painter.setPen(c.primary);
    PanelText::drawElided(painter, QRectF(left, kVerticalPadding, right - left, nameHeight), nameFont(), m_snippet.name);
    painter.setPen(c.secondary);
    const QStringList lines = textLines().split(QLatin1Char('\n'));
    qreal y = kVerticalPadding + nameHeight + kTextSpacing;
    for (const QString &line : lines) {
        PanelText::drawElided(painter, QRectF(left, y, right - left, PanelText::lineHeight(textFont())), textFont(), line);
        y += PanelText::lineHeight(textFont());
    }
}

void SnippetRow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT pasteRequested(m_snippet.id);
}

void SnippetRow::enterEvent(QEnterEvent *) { Q_EMIT hovered(m_snippet.id); }

void SnippetRow::resizeEvent(QResizeEvent *) { m_edit->move(width() - kTrailingPadding - kEditSide, (height() - kEditSide) / 2); }
