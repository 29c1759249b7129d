#pragma once

#include <QSize>

class QScreen;

// Room kept around a window of its own for the frame the manager draws: a title bar and thin
// borders at most, in the window's own units.
inline constexpr QSize kManagerFrameAllowance{16, 40};

// The size a window of its own opens at on the screen: the size it was laid out for, shrunk to
// what the screen's available area holds with room for the manager's frame, so that at any scale
// the whole window, its buttons at the foot included, is on the screen. Without a screen, the
// size as laid out.
QSize sizeWithinScreen(QSize laidOut, const QScreen *screen);
