#include "snapshots/ComponentSamplers.h"

#include "core/L10n.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/panel/MasonryGridLayout.h"
#include "ui/panel/MenuActionRow.h"
#include "ui/panel/MenuBackButton.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelField.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/ShortcutBadge.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

namespace {

QString tr(const char *slovak) { return L10n::text(QString::fromUtf8(slovak)); }

QVBoxLayout *page(QWidget *widget, int margin, int spacing)
{
    auto *column = new QVBoxLayout(widget);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(spacing);
    return column;
}

QHBoxLayout *line(QVBoxLayout *column, std::initializer_list<QWidget *> widgets)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    for (QWidget *widget : widgets)
        row->addWidget(widget);
    row->addStretch();
    column->addLayout(row);
    return row;
}

// Paints something through a function: the palette and symbol table, and the grid's cards.
class Painted : public QWidget
{
public:
    Painted(std::function<int(int)> heightAt, std::function<void(QPainter &, const QWidget &)> paint)
        : m_heightAt(std::move(heightAt)), m_paint(std::move(paint))
    {
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return m_heightAt(width); }
    QSize sizeHint() const override { return QSize(460, m_heightAt(460)); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_paint(painter, *this);
    }

private:
    std::function<int(int)> m_heightAt;
    std::function<void(QPainter &, const QWidget &)> m_paint;
};

void paintPaletteAndSymbols(QPainter &painter, const QWidget &widget)
{
    const PanelStyle::Colors &c = PanelStyle::colors(&widget);
    const QColor swatches[] = {c.accent, c.prominentForeground, c.primary, c.secondary, c.muted, c.surface,
                               c.controlSurface, c.searchFieldBackground, c.hoverSurface, c.pressedSurface,
                               c.border, c.divider, c.navigationSurface, c.quickAccessBackground};
    for (int i = 0; i < 14; ++i) {
        PanelStyle::fillRounded(painter, QRectF(i * 33, 0, 28, 28), 6, swatches[i]);
        PanelStyle::strokeRounded(painter, QRectF(i * 33, 0, 28, 28), 6, c.border);
    }
    const QStringList symbols = PanelIcons::symbols();
    for (int i = 0; i < symbols.size(); ++i)
        PanelIcons::paint(painter, QRectF((i % 18) * 26, 40 + (i / 18) * 26, 26, 26), symbols[i], 13,
                          i % 2 ? c.secondary : c.accent);
}

} // namespace

QWidget *styleKitSampler()
{
    auto *widget = new QWidget;
    QVBoxLayout *column = page(widget, 16, 12);
    auto *paste = new PanelButton(tr("Vložiť text"), true, 32, 12);
    paste->setSymbol(QStringLiteral("doc.on.clipboard"));
    auto *disabled = new PanelButton(tr("Uložiť zmeny"), true, 32, 12);
    disabled->setEnabled(false);
    auto *close = new PanelButton(QString(), false, 32, 12);
    close->setSymbol(QStringLiteral("xmark"), 10);
    line(column, {paste, new PanelButton(tr("Zrušiť"), false, 32, 12), disabled, close,
                  new PanelButton(tr("Vložiť text"), false, 28, 10)});
    auto *name = new PanelField;
    name->setPlaceholderText(tr("Napríklad Podpis"));
    auto *search = new PanelField(nullptr, true);
    search->setFont(PanelStyle::exactFont(PanelField::kFontSize));
    search->setText(QStringLiteral("a => b -> c != d fi"));
    line(column, {name, search});
    QHBoxLayout *badges = line(column, {});
    for (const char *text : {"Ctrl+1", "Shift+Super+V", ";podpis"})
        badges->insertWidget(badges->count() - 1, new ShortcutBadge(QString::fromUtf8(text)));
    for (int kind = 0; kind < 8; ++kind)
        badges->insertWidget(badges->count() - 1, new ShortcutBadge(KindPresentation::displayName(ClipboardKind(kind))));
    column->addWidget(new Painted([](int) { return 40 + 5 * 26; }, paintPaletteAndSymbols));
    auto *empty = new PanelEmptyState(QStringLiteral("magnifyingglass"), tr("Nič sa nenašlo"),
                                      tr("Skús iné slovo, názov aplikácie alebo typ obsahu."));
    empty->setMinimumHeight(150);
    column->addWidget(empty);
    return widget;
}

QWidget *entryRowSampler(testsupport::SeededModel &seed)
{
    auto *widget = new QWidget;
    QVBoxLayout *column = page(widget, 8, 4);
    const QList<ClipboardEntry> &entries = seed.entries();
    for (int i : {0, 1, 2, 3, 4, 5, 6, 10, 12, 13, 7}) {
        auto *row = new ClipboardRow(entries.at(i), i == 4);
        if (entries.at(i).imageData)
            row->setThumbnail(EntryThumbnails::decode(*entries.at(i).imageData));
        row->setExpanded(i == 7);
        column->addWidget(row);
    }
    column->addStretch();
    return widget;
}

QWidget *menuControlsSampler()
{
    auto *widget = new QWidget;
    QVBoxLayout *column = page(widget, 10, 2);
    auto *open = new EntryOverflowButton(QStringLiteral("ellipsis"));
    open->setOpen(true);
    auto *destructive = new EntryOverflowButton(QStringLiteral("trash"));
    destructive->setDestructive(true);
    destructive->setOpen(true);
    line(column, {new MenuBackButton, new EntryOverflowButton(QStringLiteral("ellipsis")), open, destructive});
    const auto add = [column](const QString &title, const char *symbol, bool prominent, bool checked,
                              std::optional<QString> detail, bool disclosure) {
        auto *row = new MenuActionRow({title, QString::fromLatin1(symbol), prominent, checked, std::move(detail), disclosure});
        column->addWidget(row);
        return row;
    };
    add(tr("Vložiť"), "doc.on.clipboard", true, false, std::nullopt, false);
    add(tr("Pripnúť"), "pin", false, true, std::nullopt, false);
    add(tr("Formát farby"), "paintpalette", false, false, QStringLiteral("#3A7BD5 · rgb(58, 123, 213) · hsl(215, 65%, 53%)"), true);
    add(QStringLiteral("Práca"), "archivebox", false, true, std::nullopt, true);
    add(tr("Vymazať"), "trash", false, false, std::nullopt, false)->setEnabled(false);
    column->addStretch();
    return widget;
}

QWidget *masonrySampler(testsupport::SeededModel &seed)
{
    auto *widget = new QWidget;
    auto *grid = new MasonryGridLayout(2, 10, widget);
    grid->setContentsMargins(10, 10, 10, 10);
    for (const ClipboardEntry &entry : seed.entries()) {
        if (entry.kind != ClipboardKind::Image && entry.kind != ClipboardKind::Text)
            continue;
        const QImage image = entry.imageData ? EntryThumbnails::decode(*entry.imageData, 400) : QImage();
        const int textHeight = 44 + int(entry.text.size() / 3);
        grid->addWidget(new Painted(
            [image, textHeight](int w) { return image.isNull() ? textHeight : w * image.height() / std::max(1, image.width()); },
            [image](QPainter &painter, const QWidget &card) {
                const PanelStyle::Colors &c = PanelStyle::colors(&card);
                PanelStyle::fillRounded(painter, card.rect(), 10, c.surface);
                if (!image.isNull())
                    painter.drawImage(QRectF(card.rect()).adjusted(4, 4, -4, -4), image);
                PanelStyle::strokeRounded(painter, card.rect(), 10, c.border);
            }));
    }
    return widget;
}

namespace {

class MenuSampleHost : public QWidget {
public:
    explicit MenuSampleHost(std::function<QMenu *(QWidget *, PanelStyle::Scheme)> make) : m_make(std::move(make))
    {
        new QVBoxLayout(this);
        layout()->setContentsMargins(0, 0, 0, 0);
    }
    QSize sizeHint() const override { return m_menu ? m_menu->sizeHint() : QSize(200, 100); }

protected:
    void showEvent(QShowEvent *event) override
    {
        QWidget::showEvent(event);
        if (m_menu)
            return;
        auto *owner = new QWidget(this);
        owner->hide();
        m_menu = m_make(owner, PanelStyle::schemeOf(this));
        m_menu->setAttribute(Qt::WA_DeleteOnClose, false);
        m_menu->setParent(this, Qt::Widget);
        layout()->addWidget(m_menu);
        m_menu->show();
    }

private:
    std::function<QMenu *(QWidget *, PanelStyle::Scheme)> m_make;
    QMenu *m_menu = nullptr;
};

} // namespace

QWidget *menuSampler(std::function<QMenu *(QWidget *owner, PanelStyle::Scheme scheme)> make)
{
    return new MenuSampleHost(std::move(make));
}
