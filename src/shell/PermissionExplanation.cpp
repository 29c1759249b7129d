#include "shell/PermissionExplanation.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"

#include <QHash>
#include <QMessageBox>
#include <QPointer>

namespace PermissionExplanation {

namespace {

QString kindText(Permissions::Kind kind)
{
    switch (kind) {
    case Permissions::Kind::Accessibility:
        return L10n::text(QStringLiteral("Tarnel nemôže posielať klávesy iným aplikáciám, preto nevie vložiť položku "
                                         "za teba. Vkladanie funguje v relácii X11 s rozšírením XTest."));
    case Permissions::Kind::InputMonitoring:
        return L10n::text(QStringLiteral("Tarnel nevidí klávesy stlačené v iných aplikáciách, preto nefungujú textové "
                                         "skratky ani kopírovanie do Paste Stacku. Sledovanie klávesnice funguje "
                                         "v relácii X11 s rozšírením XInput2."));
    case Permissions::Kind::ScreenRecording:
        return L10n::text(QStringLiteral("Tarnel nemôže čítať obrazovku, preto nevie prečítať text z vybranej oblasti."));
    }
    return {};
}

} // namespace

QString text(Permissions::Kind kind, bool waylandSession)
{
    const QString base = kindText(kind);
    return waylandSession ? base + QLatin1Char(' ') + L10n::text(ClipboardModel::waylandSessionLimitsNotice) : base;
}

void show(Permissions::Kind kind, bool waylandSession)
{
    static QHash<int, QPointer<QMessageBox>> open;
    QPointer<QMessageBox> &box = open[static_cast<int>(kind)];
    if (!box) {
        box = new QMessageBox(QMessageBox::Information, QStringLiteral("Tarnel"), text(kind, waylandSession));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setAttribute(Qt::WA_QuitOnClose, false);
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace PermissionExplanation
