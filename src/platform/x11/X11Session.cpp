#include "platform/x11/X11Session.h"

#include "core/Logging.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/Xlib.h>

#include <algorithm>

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

bool decideXWayland(bool displayOpens, bool xwaylandServer, const QString &sessionType, bool waylandDisplaySet)
{
    if (!displayOpens)
        return false;
    return xwaylandServer || (sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 && waylandDisplaySet);
}

bool namesLookLikeXWayland(const QStringList &screenNames)
{
    return std::any_of(screenNames.cbegin(), screenNames.cend(),
                       [](const QString &name) { return name.startsWith(QLatin1String("XWAYLAND")); });
}

bool isXWaylandInWayland()
{
    static const bool bridged = [] {
        Display *display = XOpenDisplay(nullptr);
        if (!display)
            return false;
        int opcode = 0, eventBase = 0, errorBase = 0;
        bool xwayland = XQueryExtension(display, "XWAYLAND", &opcode, &eventBase, &errorBase);
        XCloseDisplay(display);
        // Older XWayland servers have no extension of their own but name their outputs after
        // themselves; Qt on xcb reports those names as its screens.
        if (!xwayland && QGuiApplication::platformName() == QLatin1String("xcb")) {
            QStringList names;
            for (const QScreen *screen : QGuiApplication::screens())
                names.append(screen->name());
            xwayland = namesLookLikeXWayland(names);
        }
        const bool result = decideXWayland(true, xwayland, qEnvironmentVariable("XDG_SESSION_TYPE"),
                                           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
        if (result)
            qCInfo(lcPlatform) << "X display is XWayland inside a Wayland session";
        return result;
    }();
    return bridged;
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
