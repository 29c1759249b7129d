#include "ui/settings/OptionPicker.h"

#include "ui/settings/PickerHeader.h"
#include "ui/settings/PickerOption.h"

#include <QBoxLayout>

OptionPicker::OptionPicker(const QString &title, const QString &explanation, Qt::Orientation orientation,
                           int optionSpacing, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSectionSpacing);
    layout->addWidget(new PickerHeader(title, explanation, this));
    m_options = orientation == Qt::Horizontal ? static_cast<QBoxLayout *>(new QHBoxLayout)
                                              : static_cast<QBoxLayout *>(new QVBoxLayout);
    m_options->setSpacing(optionSpacing);
    layout->addLayout(m_options);
}

void OptionPicker::addOption(int value, PickerOption *option)
{
    m_options->addWidget(option);
    m_entries.append({value, option});
}

PickerOption *OptionPicker::optionOf(int value) const
{
    for (const auto &[entryValue, option] : m_entries) {
        if (entryValue == value)
            return option;
    }
    return nullptr;
}

void OptionPicker::select(int value)
{
    for (const auto &[entryValue, option] : m_entries)
        option->setSelected(entryValue == value);
}
