#pragma once

#include "core/AppLanguage.h"

#include "ui/settings/OptionPicker.h"

class PickerOption;

// Slovenčina or English, side by side; each language is named in itself, never translated. A
// click announces the choice; the selection shows only what the owner reports back.
class LanguagePicker : public OptionPicker {
    Q_OBJECT
public:
    static constexpr int kOptionSpacing = 8;
    static constexpr int kContentSpacing = 7;
    static constexpr int kHorizontalPadding = 10;
    static constexpr int kMinimumHeight = 36;
    static constexpr qreal kRadius = 9;
    static constexpr qreal kSelectedFillOpacity = 0.11;
    static constexpr qreal kSymbolSize = 11;
    static constexpr qreal kNameSize = 10;
    static constexpr qreal kCheckSize = 12;

    explicit LanguagePicker(AppLanguage language, QWidget *parent = nullptr);
    PickerOption *option(AppLanguage language) const;
    // Selects the language in force.
    void setLanguage(AppLanguage language);

Q_SIGNALS:
    void languageChosen(AppLanguage language);
};
