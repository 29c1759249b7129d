#include "ui/tools/ScreenFit.h"

#include <QScreen>

QSize sizeWithinScreen(QSize laidOut, const QScreen *screen)
{
    if (!screen)
        return laidOut;
    const QSize room = (screen->availableGeometry().size() - kManagerFrameAllowance).expandedTo(QSize(1, 1));
    return laidOut.boundedTo(room);
}
