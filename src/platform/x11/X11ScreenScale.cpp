#include "platform/x11/X11ScreenScale.h"

#include "core/Logging.h"

#include <QList>

#include <X11/Xlib.h>

namespace {

// The resolution Qt counts as 1x on X11.
constexpr double kBaseDpi = 96;

// The desktop's resolution as Qt reads it from the resources: an "Xft.dpi:" line with a tab and
// a whole number.
std::optional<int> resourceDpi(const QByteArray &resources)
{
    static const QByteArray key("Xft.dpi:\t");
    for (const QByteArray &line : resources.split('\n')) {
        if (!line.startsWith(key))
            continue;
        bool ok = false;
        const int dpi = line.mid(key.size()).trimmed().toInt(&ok);
        return ok && dpi > 0 ? std::optional<int>(dpi) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> X11ScreenScale::qtScaleFactorFor(const QByteArray &requested, const QByteArray &resources,
                                                           bool highDpiScalingOff, bool screenFactorsSet)
{
    // Without Qt's own scaling, or with the screens' factors named outright, the resolution does
    // not scale and the factor asked for is the whole already.
    if (requested.isEmpty() || highDpiScalingOff || screenFactorsSet)
        return std::nullopt;
    bool ok = false;
    const double whole = requested.trimmed().toDouble(&ok);
    const std::optional<int> dpi = resourceDpi(resources);
    if (!ok || whole <= 0 || !dpi || *dpi == int(kBaseDpi))
        return std::nullopt;
    return QByteArray::number(whole * kBaseDpi / *dpi, 'g', 6);
}

std::optional<QByteArray> X11ScreenScale::settleScaleFactor()
{
    const QByteArray requested = qgetenv("QT_SCALE_FACTOR");
    if (requested.isEmpty())
        return std::nullopt;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return std::nullopt;
    const char *resources = XResourceManagerString(display);
    const bool scalingOff = qgetenv("QT_ENABLE_HIGHDPI_SCALING") == "0";
    const bool screenFactors = !qgetenv("QT_SCREEN_SCALE_FACTORS").isEmpty();
    const std::optional<QByteArray> factor = qtScaleFactorFor(requested, QByteArray(resources ? resources : ""), scalingOff, screenFactors);
    XCloseDisplay(display);
    if (!factor)
        return std::nullopt;
    qCInfo(lcPlatform) << "The desktop's resolution scales already; QT_SCALE_FACTOR" << requested << "is taken as the whole scale";
    qputenv("QT_SCALE_FACTOR", *factor);
    return requested;
}
