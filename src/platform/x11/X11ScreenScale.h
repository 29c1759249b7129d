#pragma once

#include <QByteArray>

#include <optional>

// How large Tarnel draws. Qt on X11 scales by the desktop's font resolution (Xft.dpi, 96 being
// 1x) and then once more by QT_SCALE_FACTOR, so a user who asks for 2x both ways, as the desktop's
// settings and the Qt advice each tell them to, gets 4x and windows larger than the screen. Both
// name the scale the user wants, so QT_SCALE_FACTOR is taken as the whole of it.
namespace X11ScreenScale {

// The QT_SCALE_FACTOR that gives the whole scale `requested` on top of the resources' Xft.dpi;
// nothing when the environment needs no change (no factor asked for, no resolution of the
// desktop's, or one Qt does not scale by).
std::optional<QByteArray> qtScaleFactorFor(const QByteArray &requested, const QByteArray &resources,
                                           bool highDpiScalingOff, bool screenFactorsSet);

// The rule applied to this process's environment and display; called before the application
// object is made, which reads the environment once. Gives the value the user set when it was
// changed, to be put back once the application object has read it, so that the programs Tarnel
// starts see the user's own.
std::optional<QByteArray> settleScaleFactor();

} // namespace X11ScreenScale
