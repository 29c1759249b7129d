#include "platform/x11/X11Session.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace X11Session {

bool decide(bool waylandDisplaySet, const QString &qtPlatformName, bool displayOpens)
{
    if (qtPlatformName == QLatin1String("xcb"))
        return displayOpens;
    if (waylandDisplaySet)
        return false;
    return displayOpens;
}

bool isUsable()
{
    static const bool displayOpens = [] {
        Display *display = XOpenDisplay(nullptr);
        if (!display)
            return false;
        XCloseDisplay(display);
        return true;
    }();
    return decide(!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), QGuiApplication::platformName(), displayOpens);
}

bool choosesXcb(const QByteArray &chosenPlatform, const QByteArray &xDisplay, bool platformArgument)
{
    return chosenPlatform.isEmpty() && !platformArgument && !xDisplay.isEmpty();
}

QList<QByteArray> qtArguments(int argc, char **argv)
{
    QList<QByteArray> arguments;
    bool platformArgument = false;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QByteArray(argv[i]));
        // Qt reads "-platform" and "--platform" alike.
        if (i > 0 && (arguments.last() == "-platform" || arguments.last() == "--platform"))
            platformArgument = true;
    }
    if (choosesXcb(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), platformArgument))
        arguments << QByteArrayLiteral("-platform") << QByteArrayLiteral("xcb");
    return arguments;
}

} // namespace X11Session
