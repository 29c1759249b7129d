#include "shell/Placeholder.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

QWidget *createPlaceholderWindow()
{
    auto *window = new QWidget;
    window->setWindowTitle(QStringLiteral("Tarnel"));
    auto *layout = new QVBoxLayout(window);
    auto *label = new QLabel(QStringLiteral(
        "Tarnel: the clipboard data model is built, the panel is not yet.\n"
        "Clipboard capture, the panel at the top of the screen, Quick Access and the\n"
        "global shortcuts arrive with the application shell."));
    label->setMargin(16);
    layout->addWidget(label);
    return window;
}
