#include "snapshots/StyleKitSampler.h"

#include "core/L10n.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelField.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/style/ShortcutBadge.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kSwatchRow = 40;
constexpr int kIconCell = 26;
constexpr int kIconColumns = 18;

// Paints the palette and the symbol table, which have no widgets of their own.
class PaletteStrip : public QWidget
{
public:
    using QWidget::QWidget;
    QSize sizeHint() const override
    {
        const int iconRows = int((PanelIcons::symbols().size() + kIconColumns - 1) / kIconColumns);
        return QSize(kIconColumns * kIconCell, kSwatchRow + 8 + iconRows * kIconCell);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const PanelStyle::Colors &c = PanelStyle::colors(this);
        const QColor swatches[] = {c.accent, c.prominentForeground, c.primary, c.secondary, c.muted,
                                   c.surface, c.controlSurface, c.searchFieldBackground, c.hoverSurface,
                                   c.pressedSurface, c.border, c.divider, c.navigationSurface,
                                   c.quickAccessBackground};
        qreal x = 0;
        for (const QColor &colour : swatches) {
            PanelStyle::fillRounded(painter, QRectF(x, 0, 28, 28), 6, colour);
            PanelStyle::strokeRounded(painter, QRectF(x, 0, 28, 28), 6, c.border);
            x += 33;
        }
        const QStringList symbols = PanelIcons::symbols();
        for (int i = 0; i < symbols.size(); ++i) {
            const QRectF cell((i % kIconColumns) * kIconCell, kSwatchRow + 8 + (i / kIconColumns) * kIconCell,
                              kIconCell, kIconCell);
            PanelIcons::paint(painter, cell, symbols[i], 13, i % 2 ? c.secondary : c.accent);
        }
    }
};

} // namespace

StyleKitSampler::StyleKitSampler(testsupport::SeededModel &, QWidget *parent) : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    auto *paste = new PanelButton(L10n::text(QStringLiteral("Vložiť text")), true, 32, 12);
    paste->setSymbol(QStringLiteral("doc.on.clipboard"));
    buttons->addWidget(paste);
    buttons->addWidget(new PanelButton(L10n::text(QStringLiteral("Zrušiť")), false, 32, 12));
    auto *disabled = new PanelButton(L10n::text(QStringLiteral("Uložiť zmeny")), true, 32, 12);
    disabled->setEnabled(false);
    buttons->addWidget(disabled);
    auto *close = new PanelButton(QString(), false, 32, 12);
    close->setSymbol(QStringLiteral("xmark"), 10);
    buttons->addWidget(close);
    buttons->addWidget(new PanelButton(L10n::text(QStringLiteral("Vložiť text")), false, 28, 10));
    buttons->addStretch();
    column->addLayout(buttons);

    auto *fields = new QHBoxLayout;
    auto *name = new PanelField;
    name->setPlaceholderText(L10n::text(QStringLiteral("Napríklad Podpis")));
    fields->addWidget(name);
    auto *search = new PanelField(nullptr, true);
    search->setText(QStringLiteral("a => b -> c != d fi"));
    search->setFont(PanelStyle::exactFont(PanelField::kFontSize));
    fields->addWidget(search);
    column->addLayout(fields);

    auto *badges = new QHBoxLayout;
    badges->setSpacing(6);
    for (const char *text : {"Ctrl+1", "Shift+Super+V", ";podpis", "Alt+Super+C"})
        badges->addWidget(new ShortcutBadge(QString::fromUtf8(text)));
    for (const ClipboardKind kind : {ClipboardKind::Text, ClipboardKind::Url, ClipboardKind::Email, ClipboardKind::Number,
                                     ClipboardKind::Color, ClipboardKind::Code, ClipboardKind::Image, ClipboardKind::File})
        badges->addWidget(new ShortcutBadge(KindPresentation::displayName(kind)));
    badges->addStretch();
    column->addLayout(badges);

    column->addWidget(new PaletteStrip);
    auto *empty = new PanelEmptyState(QStringLiteral("magnifyingglass"), L10n::text(QStringLiteral("Nič sa nenašlo")),
                                      L10n::text(QStringLiteral("Skús iné slovo, názov aplikácie alebo typ obsahu.")));
    empty->setMinimumHeight(150);
    column->addWidget(empty);
}

void StyleKitSampler::paintEvent(QPaintEvent *) {}
