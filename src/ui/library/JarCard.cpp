#include "ui/library/JarCard.h"

#include "core/L10n.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>

JarCard::JarCard(const ClipboardJar &jar, int entryCount, QWidget *parent)
    : QWidget(parent), m_jar(jar), m_entryCount(entryCount)
{
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(jar.name);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, kTrailingPadding, 0);
    layout->setSpacing(kSpacing);
    layout->addStretch(1);
    const QString renameText = L10n::text(QStringLiteral("Premenovať Jar"));
    const QString deleteText = L10n::text(QStringLiteral("Vymazať Jar"));
    m_rename = new EntryOverflowButton(QStringLiteral("pencil"), this);
    m_rename->setToolTip(renameText);
    m_rename->setAccessibleName(renameText);
    m_delete = new EntryOverflowButton(QStringLiteral("trash"), this);
    m_delete->setDestructive(true);
    m_delete->setToolTip(deleteText);
    m_delete->setAccessibleName(deleteText);
    layout->addWidget(m_rename);
    layout->addWidget(m_delete);
    connect(m_rename, &EntryOverflowButton::clicked, this, [this] { Q_EMIT renameRequested(m_jar.id); });
    connect(m_delete, &EntryOverflowButton::clicked, this, [this] { Q_EMIT deleteRequested(m_jar.id); });
    setMinimumHeight(kMinimumHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString JarCard::countText(int count)
{
    const char *word = count == 1 ? "položka" : (count >= 2 && count <= 4) ? "položky" : "položiek";
    return QStringLiteral("%1 %2").arg(count).arg(L10n::text(QString::fromUtf8(word)));
}

QSize JarCard::sizeHint() const { return QSize(QWidget::sizeHint().width(), kMinimumHeight); }

void JarCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &c = PanelStyle::colors(this);
    PanelStyle::fillRounded(painter, rect(), kCornerRadius, c.surface);
    const QRectF tile(kLeadingPadding, (height() - kTileSide) / 2.0, kTileSide, kTileSide);
    PanelStyle::fillRounded(painter, tile, kTileRadius, PanelStyle::withOpacity(c.accent, kTileOpacity));
    PanelIcons::paint(painter, tile, QStringLiteral("archivebox.fill"), kTileSymbolSize, c.accent);

    const QFont nameFont = PanelStyle::font(kNameSize, QFont::DemiBold);
    const QFont countFont = PanelStyle::font(kCountSize);
    const qreal left = tile.right() + kContentSpacing;
    const qreal right = m_rename->geometry().left() - kSpacing;
    const int nameHeight = PanelText::lineHeight(nameFont);
    const int countHeight = PanelText::lineHeight(countFont);
    const qreal top = (height() - nameHeight - kTextSpacing - countHeight) / 2.0;
    painter.setPen(c.primary);
    PanelText::drawElided(painter, QRectF(left, top, right - left, nameHeight), nameFont, m_jar.name);
    painter.setPen(c.secondary);
    PanelText::drawElided(painter, QRectF(left, top + nameHeight + kTextSpacing, right - left, countHeight), countFont,
                          countText(m_entryCount));
}

void JarCard::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT opened(m_jar.id);
}
