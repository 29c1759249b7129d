#pragma once

#include <QList>
#include <QPair>
#include <QWidget>

class PickerOption;
class QBoxLayout;

// A header over options of which one is selected: the language, the presentation mode. The
// options are laid out side by side or one under another; each is known by the raw number of
// its value, and the selection is set from what the owner of the setting reports.
class OptionPicker : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSectionSpacing = 10;

protected:
    OptionPicker(const QString &title, const QString &explanation, Qt::Orientation orientation, int optionSpacing,
                 QWidget *parent);

    void addOption(int value, PickerOption *option);
    PickerOption *optionOf(int value) const;
    void select(int value);

private:
    QBoxLayout *m_options = nullptr;
    QList<QPair<int, PickerOption *>> m_entries;
};
