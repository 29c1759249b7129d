#include "ui/tools/SheetPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace SheetPlacement {

QRect over(const QRect &origin, const QSize &size, const QRect &screenArea)
{
    QRect placed(QPoint(), size);
    placed.moveCenter(origin.center());
    const int x = std::max(screenArea.left(), std::min(placed.left(), screenArea.right() + 1 - size.width()));
    const int y = std::max(screenArea.top(), std::min(placed.top(), screenArea.bottom() + 1 - size.height()));
    placed.moveTopLeft(QPoint(x, y));
    return placed;
}

void place(QWidget *sheet, const QWidget *origin)
{
    // Client areas: the window manager's frame is not known before the sheet is mapped.
    const QWidget *window = origin->window();
    const QSize size = sheet->sizeHint().expandedTo(sheet->minimumSize());
    QScreen *screen = window->screen();
    if (!screen) {
        sheet->resize(size);
        return;
    }
    sheet->setScreen(screen);
    sheet->setGeometry(over(window->geometry(), size, screen->availableGeometry()));
}

} // namespace SheetPlacement
