#include "ui/settings/LanguagePicker.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"
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

LanguagePicker::LanguagePicker(ClipboardModel &model, QWidget *parent)
    : OptionPicker(L10n::text(QStringLiteral("Jazyk")), L10n::text(QStringLiteral("Jazyk rozhrania aplikácie")),
                   Qt::Horizontal, kOptionSpacing, parent),
      m_model(model)
{
    using P = LanguagePicker;
    for (AppLanguage language : {AppLanguage::Sk, AppLanguage::En}) {
        const QString name = ownName(language);
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
        option->setObjectName(QStringLiteral("language-") + rawValue(language));
        connect(option, &QAbstractButton::clicked, this, [this, language] { m_model.setLanguage(language); });
        addOption(int(language), option);
    }
    connect(&model, &ClipboardModel::languageChanged, this, &LanguagePicker::refresh, Qt::QueuedConnection);
    refresh();
}

PickerOption *LanguagePicker::option(AppLanguage language) const
{
    return optionOf(int(language));
}

void LanguagePicker::refresh()
{
    select(int(m_model.language()));
}
