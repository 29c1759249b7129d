#include "snapshots/ComponentSamplers.h"

#include "core/L10n.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/panel/MasonryGridLayout.h"
#include "ui/panel/MenuActionRow.h"
#include "ui/panel/MenuBackButton.h"
#include "ui/style/PanelStyle.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

ClipboardRow *row(const ClipboardEntry &entry, bool selected = false)
{
    auto *r = new ClipboardRow(entry, selected);
    if (entry.kind == ClipboardKind::Image && entry.imageData)
        r->setThumbnail(EntryThumbnails::decode(*entry.imageData));
    return r;
}

// A card of the grid: a picture or a text block on the surface colour.
class Card : public QWidget
{
public:
    Card(const ClipboardEntry &entry) : m_entry(entry)
    {
        if (entry.imageData)
            m_image = EntryThumbnails::decode(*entry.imageData, 400);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        if (!m_image.isNull())
            return width * m_image.height() / std::max(1, m_image.width());
        return 44 + int(m_entry.text.size() / 3);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const PanelStyle::Colors &c = PanelStyle::colors(this);
        PanelStyle::fillRounded(painter, rect(), 10, c.surface);
        if (!m_image.isNull())
            painter.drawImage(QRectF(rect()).adjusted(4, 4, -4, -4), m_image);
        PanelStyle::strokeRounded(painter, rect(), 10, c.border);
    }

private:
    ClipboardEntry m_entry;
    QImage m_image;
};

} // namespace

QWidget *entryRowSampler(testsupport::SeededModel &seed)
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(4);
    const QList<ClipboardEntry> &entries = seed.entries();
    for (int i : {0, 1, 2, 3, 4, 5, 6, 10, 12, 13})
        column->addWidget(row(entries.at(i), i == 4));
    auto *unfolded = row(entries.at(7));
    unfolded->setExpanded(true);
    column->addWidget(unfolded);
    auto *multiline = row(entries.at(8));
    multiline->setExpanded(true);
    column->addWidget(multiline);
    column->addStretch();
    return page;
}

QWidget *menuControlsSampler()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(2);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(new MenuBackButton);
    buttons->addWidget(new EntryOverflowButton(QStringLiteral("ellipsis")));
    auto *open = new EntryOverflowButton(QStringLiteral("ellipsis"));
    open->setOpen(true);
    buttons->addWidget(open);
    auto *destructive = new EntryOverflowButton(QStringLiteral("trash"));
    destructive->setDestructive(true);
    destructive->setOpen(true);
    buttons->addWidget(destructive);
    buttons->addWidget(new EntryOverflowButton(QStringLiteral("pin")));
    buttons->addStretch();
    column->addLayout(buttons);

    column->addWidget(new MenuActionRow({L10n::text(QStringLiteral("Vložiť")), QStringLiteral("doc.on.clipboard"), true}));
    column->addWidget(new MenuActionRow({L10n::text(QStringLiteral("Pripnúť")), QStringLiteral("pin"), false, true}));
    column->addWidget(new MenuActionRow({L10n::text(QStringLiteral("Formát farby")), QStringLiteral("paintpalette"), false,
                                         false, QStringLiteral("#3A7BD5 · rgb(58, 123, 213) · hsl(215, 65%, 53%)"), true}));
    column->addWidget(new MenuActionRow({QStringLiteral("Práca"), QStringLiteral("archivebox"), false, true,
                                         std::nullopt, true}));
    auto *disabled = new MenuActionRow({L10n::text(QStringLiteral("Vymazať")), QStringLiteral("trash")});
    disabled->setEnabled(false);
    column->addWidget(disabled);
    column->addStretch();
    return page;
}

QWidget *masonrySampler(testsupport::SeededModel &seed)
{
    auto *page = new QWidget;
    auto *grid = new MasonryGridLayout(2, 10, page);
    grid->setContentsMargins(10, 10, 10, 10);
    for (const ClipboardEntry &entry : seed.entries()) {
        if (entry.kind == ClipboardKind::Image || entry.kind == ClipboardKind::Text)
            grid->addWidget(new Card(entry));
    }
    return page;
}
