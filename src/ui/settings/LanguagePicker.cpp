#include "ui/settings/LanguagePicker.h"

#include "core/L10n.h"
#include "ui/settings/PickerOption.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelText.h"

#include <QPainter>

namespace {

QString ownName(AppLanguage language)
{
    return language == AppLanguage::En ? QStringLiteral("English") : QStringLiteral("Slovenčina");
}

} // namespace

LanguagePicker::LanguagePicker(AppLanguage language, QWidget *parent)
    : OptionPicker(L10n::text(QStringLiteral("Jazyk")), L10n::text(QStringLiteral("Jazyk rozhrania aplikácie")),
                   Qt::Horizontal, kOptionSpacing, parent)
{
    using P = LanguagePicker;
    for (AppLanguage offered : {AppLanguage::Sk, AppLanguage::En}) {
        const QString name = ownName(offered);
        const QFont nameFont = PanelStyle::font(kNameSize, QFont::DemiBold);
        auto paint = [=](QPainter &painter, const QRectF &rect, bool selected, const PanelStyle::Colors &colors) {
            const QColor ink = selected ? colors.accent : colors.primary;
            const QRectF content = rect.adjusted(P::kHorizontalPadding, 0, -P::kHorizontalPadding, 0);
            const qreal globeSide = PanelIcons::side(P::kSymbolSize);
            PanelIcons::paint(painter, QRectF(content.left(), content.center().y() - globeSide / 2, globeSide, globeSide),
                              QStringLiteral("globe"), P::kSymbolSize, ink);
            const qreal checkSide = PanelIcons::side(P::kCheckSize);
            PickerMarks::paint(painter, QRectF(content.right() - checkSide, content.center().y() - checkSide / 2,
                                               checkSide, checkSide), selected, colors, false);
            painter.setPen(ink);
            const qreal left = content.left() + globeSide + P::kContentSpacing;
            PanelText::drawFixed(painter, QRectF(left, content.top(), PanelText::width(nameFont, name), content.height()),
                                 nameFont, name);
        };
        const int width = kHorizontalPadding * 2 + int(PanelIcons::side(kSymbolSize)) + kContentSpacing * 2
            + PanelText::width(nameFont, name) + int(PanelIcons::side(kCheckSize));
        PickerOption::Frame frame{kRadius, kSelectedFillOpacity, 0, false};
        auto *option = new PickerOption(name, QSize(width, kMinimumHeight), frame, paint, this);
        option->setObjectName(QStringLiteral("language-") + rawValue(offered));
        connect(option, &QAbstractButton::clicked, this, [this, offered] { Q_EMIT languageChosen(offered); });
        addOption(int(offered), option);
    }
    setLanguage(language);
}

PickerOption *LanguagePicker::option(AppLanguage language) const
{
    return optionOf(int(language));
}

void LanguagePicker::setLanguage(AppLanguage language)
{
    select(int(language));
}
