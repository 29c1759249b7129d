#include "ui/style/LiveText.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"

#include <QWidget>

namespace LiveText {

void follow(ClipboardModel &model, QObject *owner, std::function<void()> apply)
{
    apply();
    QObject::connect(&model, &ClipboardModel::languageChanged, owner, std::move(apply));
}

void tip(ClipboardModel &model, QWidget *widget, const QString &slovakBase)
{
    follow(model, widget, [widget, slovakBase] {
        widget->setToolTip(L10n::text(slovakBase));
        widget->setAccessibleName(widget->toolTip());
    });
}

} // namespace LiveText
