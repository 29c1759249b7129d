#include "ui/settings/PresentationModePicker.h"

#include "core/L10n.h"
#include "ui/PanelController.h"
#include "ui/settings/PickerOption.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelText.h"

#include <QPainter>

namespace {

struct ModeTexts {
    QString symbol;
    QString title;
    QString description;
};

ModeTexts textsFor(ClipboardPresentationMode mode)
{
    if (mode == ClipboardPresentationMode::MenuBar)
        return {QStringLiteral("menubar.rectangle"), L10n::text(QStringLiteral("Modal")),
                L10n::text(QStringLiteral("Modal otvoríš ikonou Tarnel v hornej lište."))};
    return {QStringLiteral("rectangle.topthird.inset.filled"), L10n::text(QStringLiteral("Notch")),
            L10n::text(QStringLiteral("Notch sa zobrazuje pri hornom okraji obrazovky."))};
}

} // namespace

PresentationModePicker::PresentationModePicker(PanelController &controller, QWidget *parent)
    : OptionPicker(L10n::text(QStringLiteral("Režim zobrazenia")),
                   L10n::text(QStringLiteral("Vyber, ako chceš Tarnel otvárať.")), Qt::Vertical, kOptionSpacing, parent),
      m_controller(controller)
{
    using P = PresentationModePicker;
    for (ClipboardPresentationMode mode : {ClipboardPresentationMode::Notch, ClipboardPresentationMode::MenuBar}) {
        const ModeTexts texts = textsFor(mode);
        const QFont titleFont = PanelStyle::font(kTitleSize, QFont::DemiBold);
        const QFont descriptionFont = PanelStyle::font(kDescriptionSize);
        const int height = kOptionPadding * 2 + kTileSide;
        auto paint = [texts, titleFont, descriptionFont](QPainter &painter, const QRectF &rect, bool selected,
                                                        const PanelStyle::Colors &colors) {
            const QRectF content = rect.adjusted(kOptionPadding, kOptionPadding, -kOptionPadding, -kOptionPadding);
            const QRectF tile(content.left(), content.center().y() - P::kTileSide / 2.0, P::kTileSide, P::kTileSide);
            PanelStyle::fillRounded(painter, tile, P::kTileRadius,
                                    selected ? colors.accent : PanelStyle::withOpacity(colors.accent, 0.1));
            PanelIcons::paint(painter, tile, texts.symbol, P::kTileSymbolSize,
                              selected ? colors.prominentForeground : colors.accent);
            const qreal markSide = PanelIcons::side(P::kMarkSize);
            const QRectF mark(content.right() - markSide, content.center().y() - markSide / 2, markSide, markSide);
            PickerMarks::paint(painter, mark, selected, colors, true);
            const qreal textLeft = tile.right() + P::kContentSpacing;
            const qreal textWidth = mark.left() - P::kContentSpacing - textLeft;
            const int titleHeight = PanelText::lineHeight(titleFont);
            const int descriptionHeight = PanelText::lineHeight(descriptionFont);
            const qreal top = content.center().y() - (titleHeight + P::kTextSpacing + descriptionHeight) / 2.0;
            painter.setPen(colors.primary);
            PanelText::drawElided(painter, QRectF(textLeft, top, textWidth, titleHeight), titleFont, texts.title);
            painter.setPen(colors.secondary);
            PanelText::drawElided(painter, QRectF(textLeft, top + titleHeight + P::kTextSpacing, textWidth, descriptionHeight),
                                  descriptionFont, texts.description);
        };
        const int minimumWidth = kOptionPadding * 2 + kTileSide + kContentSpacing * 2 + int(PanelIcons::side(kMarkSize))
            + std::max(PanelText::width(titleFont, texts.title), PanelText::width(descriptionFont, texts.description));
        auto *option = new PickerOption(texts.title, QSize(minimumWidth, height), PickerOption::Frame{}, paint, this);
        option->setObjectName(QStringLiteral("presentationMode-") + rawValue(mode));
        option->setSelectionDuration(kSwitchDuration);
        connect(option, &QAbstractButton::clicked, this, [this, mode] { m_controller.setPresentationMode(mode); });
        addOption(int(mode), option);
    }
    connect(&controller, &PanelController::presentationModeChanged, this, &PresentationModePicker::refresh,
            Qt::QueuedConnection);
    refresh();
}

PickerOption *PresentationModePicker::option(ClipboardPresentationMode mode) const
{
    return optionOf(int(mode));
}

void PresentationModePicker::refresh()
{
    select(int(m_controller.presentationMode()));
}
