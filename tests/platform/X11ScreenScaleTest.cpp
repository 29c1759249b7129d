#include "platform/x11/X11ScreenScale.h"

#include <gtest/gtest.h>

#include <optional>

TEST(X11ScreenScale, TheScaleFactorAskedForIsTheWholeScaleOverTheDesktopsResolution)
{
    const QByteArray twice("Xft.dpi:\t192\nXft.antialias:\t1\n");
    const struct {
        const char *what;
        const char *requested;
        QByteArray resources;
        bool scalingOff;
        bool screenFactors;
        std::optional<QByteArray> factor;
    } cases[] = {
        // Planted faults: the factor left as asked (4x), or the resolution divided the wrong way.
        {"2x both ways", "2", twice, false, false, QByteArray("1")},
        {"3x asked over a 2x desktop", "3", twice, false, false, QByteArray("1.5")},
        {"1.5x asked over a 2x desktop", "1.5", "Xft.antialias:\t1\nXft.dpi:\t192\n", false, false, QByteArray("0.75")},
        {"2x asked over a 1.5x desktop", "2", "Xft.dpi:\t144\n", false, false, QByteArray("1.33333")},
        // Nothing to undo.
        {"nothing asked", "", twice, false, false, std::nullopt},
        {"no resolution of the desktop's", "2", "Xft.antialias:\t1\n", false, false, std::nullopt},
        {"the resolution Qt counts as 1x", "2", "Xft.dpi:\t96\n", false, false, std::nullopt},
        {"a line Qt does not read", "2", "Xft.dpi: 192\n", false, false, std::nullopt},
        {"another resource of the same start", "2", "Xft.dpiX:\t192\n", false, false, std::nullopt},
        {"Qt's scaling turned off", "2", twice, true, false, std::nullopt},
        {"the screens' factors named", "2", twice, false, true, std::nullopt},
        // Bad input: left to Qt, which reports it.
        {"not a number", "big", twice, false, false, std::nullopt},
        {"no scale at all", "0", twice, false, false, std::nullopt},
        {"a resolution that is no number", "2", "Xft.dpi:\tlarge\n", false, false, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(X11ScreenScale::qtScaleFactorFor(c.requested, c.resources, c.scalingOff, c.screenFactors), c.factor)
            << c.what;
}
