#include "ui/panel/SheetTranslations.h"

#include "ui/style/PanelButton.h"

#include <QLabel>
#include <QLineEdit>

// The widgets are children of the sheet that owns this list, so they outlive every call.

void SheetTranslations::label(QLabel *label, Text text)
{
    add([label, text = std::move(text)] { label->setText(text()); });
}

void SheetTranslations::button(PanelButton *button, Text text)
{
    add([button, text = std::move(text)] { button->setTitle(text()); });
}

void SheetTranslations::placeholder(QLineEdit *field, Text text)
{
    add([field, text = std::move(text)] { field->setPlaceholderText(text()); });
}

void SheetTranslations::help(QWidget *widget, Text text)
{
    add([widget, text = std::move(text)] {
        widget->setToolTip(text());
        widget->setAccessibleName(text());
    });
}

void SheetTranslations::toolTip(QWidget *widget, Text text)
{
    add([widget, text = std::move(text)] { widget->setToolTip(text()); });
}

void SheetTranslations::accessibleName(QWidget *widget, Text text)
{
    add([widget, text = std::move(text)] { widget->setAccessibleName(text()); });
}

void SheetTranslations::apply() const
{
    for (const std::function<void()> &set : m_setters)
        set();
}

void SheetTranslations::add(std::function<void()> set)
{
    set();
    m_setters.append(std::move(set));
}
