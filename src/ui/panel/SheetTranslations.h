#pragma once

#include <QList>
#include <QString>

#include <functional>

class PanelButton;
class QLabel;
class QLineEdit;
class QWidget;

// The fixed texts of a sheet, each set at once and kept as the lookup that makes it, so that a
// change of the interface language reads them all again while the sheet stays open with what
// the user typed.
class SheetTranslations {
public:
    // Looks the text up in the interface language (an L10n::text call).
    using Text = std::function<QString()>;

    void label(QLabel *label, Text text);
    void button(PanelButton *button, Text text);
    void placeholder(QLineEdit *field, Text text);
    // Tooltip and accessible name of a control that shows only a symbol.
    void help(QWidget *widget, Text text);
    // Tooltip of a control that names itself (a key that also presses it).
    void toolTip(QWidget *widget, Text text);
    void accessibleName(QWidget *widget, Text text);

    // Reads every text again in the interface language.
    void apply() const;

private:
    void add(std::function<void()> set);

    QList<std::function<void()>> m_setters;
};
