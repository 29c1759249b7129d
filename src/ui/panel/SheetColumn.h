#pragma once

#include "core/ClipboardAppearance.h"

#include <QSize>

class QVBoxLayout;
class QWidget;

// Dresses a sheet in the colours of the appearance and gives it its column: equal padding on
// every side and one spacing between its parts.
QVBoxLayout *sheetColumn(QWidget *sheet, ClipboardAppearance appearance, int padding, int spacing);
// The same for a sheet in a window the user may enlarge beyond its least size.
QVBoxLayout *sheetColumn(QWidget *sheet, ClipboardAppearance appearance, QSize minimumSize, int padding, int spacing);
