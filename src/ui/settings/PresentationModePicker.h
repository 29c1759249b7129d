#pragma once

#include "core/ClipboardPresentationMode.h"

#include "ui/settings/OptionPicker.h"

#include <chrono>

class PanelController;
class PickerOption;

// Notch or tray: two option rows under a header. A click asks the controller to switch (a click
// on the selected option asks again); the selection always follows what the controller reports.
class PresentationModePicker : public OptionPicker {
    Q_OBJECT
public:
    static constexpr int kOptionSpacing = 7;
    static constexpr int kOptionPadding = 9;
    static constexpr int kContentSpacing = 10;
    static constexpr int kTileSide = 34;
    static constexpr qreal kTileRadius = 10;
    static constexpr qreal kTileSymbolSize = 14;
    static constexpr qreal kMarkSize = 15;
    static constexpr qreal kTitleSize = 10;
    static constexpr qreal kDescriptionSize = 9;
    static constexpr int kTextSpacing = 3;
    // The options follow a switch of the presentation mode over this long.
    static constexpr std::chrono::milliseconds kSwitchDuration{180};

    PresentationModePicker(PanelController &controller, QWidget *parent = nullptr);

    PickerOption *option(ClipboardPresentationMode mode) const;

private:
    void refresh();

    PanelController &m_controller;
};
