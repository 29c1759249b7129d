#include "shell/Placeholder.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationVersion(QStringLiteral(TARNEL_VERSION));
    QWidget *window = createPlaceholderWindow();
    window->show();
    const int code = app.exec();
    delete window;
    return code;
}
