#include "platform/TarnelUpdater.h"

#include "core/Logging.h"

#include <QMetaMethod>

const QString TarnelUpdater::kNotConfiguredMessage = QStringLiteral("Aktualizačný server ešte nie je nastavený.");
const QString TarnelUpdater::kNotConfiguredInformativeText = QStringLiteral(
    "Táto verzia podporuje aktualizácie priamo v aplikácii. Pred ich použitím musí byť nastavený verejný HTTPS update feed.");

QString TarnelUpdater::versionLabel() const
{
#ifdef TARNEL_VERSION
    const std::optional<QString> version = QStringLiteral(TARNEL_VERSION);
#else
    const std::optional<QString> version;
#endif
#ifdef TARNEL_BUILD
    const std::optional<QString> build = QStringLiteral(TARNEL_BUILD);
#else
    const std::optional<QString> build;
#endif
    return versionLabelFor(version, build);
}

QString TarnelUpdater::versionLabelFor(const std::optional<QString> &version, const std::optional<QString> &build)
{
    const QString dash = QStringLiteral("\u2014");
    return QStringLiteral("Tarnel ") + version.value_or(dash) + QStringLiteral(" (") + build.value_or(dash)
        + QStringLiteral(")");
}

void TarnelUpdater::setCanCheckForUpdates(bool canCheck)
{
    if (m_canCheckForUpdates == canCheck)
        return;
    m_canCheckForUpdates = canCheck;
    Q_EMIT canCheckForUpdatesChanged(canCheck);
}

void TarnelUpdater::setAutomaticallyChecks(bool automatic)
{
    if (m_automaticallyChecks == automatic)
        return;
    m_automaticallyChecks = automatic;
    Q_EMIT automaticallyChecksChanged(automatic);
}

void TarnelUpdater::showNotConfiguredAlert()
{
    if (!isSignalConnected(QMetaMethod::fromSignal(&TarnelUpdater::alertRequested))) {
        qCWarning(lcPlatform) << "No update server is set up, and no alert can be shown";
        return;
    }
    Q_EMIT alertRequested(kNotConfiguredMessage, kNotConfiguredInformativeText);
}
