#pragma once

#include <QRect>

class QWidget;

// Where a sheet's window opens: centred over the window it was opened from, and kept whole on
// the screen that holds that window (at the screen's top-left when it is larger than the screen).
namespace SheetPlacement {

QRect over(const QRect &origin, const QSize &size, const QRect &screenArea);
// Sizes the sheet to its size hint and moves it over the origin's window.
void place(QWidget *sheet, const QWidget *origin);

} // namespace SheetPlacement
