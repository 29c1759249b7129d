#pragma once

#include "core/AppLanguage.h"

#include "ui/settings/OptionPicker.h"

class ClipboardModel;
class PickerOption;

// Slovenčina or English, side by side; each language is named in itself, never translated.
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

    LanguagePicker(ClipboardModel &model, QWidget *parent = nullptr);
    PickerOption *option(AppLanguage language) const;

private:
    void refresh();

    ClipboardModel &m_model;
};
