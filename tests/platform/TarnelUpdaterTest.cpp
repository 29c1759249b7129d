#include "platform/linux/LinuxUpdater.h"

#include <gtest/gtest.h>

namespace {

struct Alert {
    QString message;
    QString informative;
};

TEST(TarnelUpdater, WithoutAnUpdateServiceACheckShowsTheNotConfiguredAlert)
{
    LinuxUpdater updater;
    updater.checkForUpdates(); // nobody to tell yet
    QList<Alert> alerts;
    QObject::connect(&updater, &TarnelUpdater::alertRequested, &updater,
                     [&](const QString &message, const QString &informative) { alerts.append({message, informative}); });

    EXPECT_FALSE(updater.isConfigured());
    // The settings button stays enabled so that it can explain the missing server.
    EXPECT_TRUE(updater.canCheckForUpdates());
    EXPECT_FALSE(updater.automaticallyChecks());

    updater.checkForUpdates();
    updater.checkForUpdates();
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Aktualizačný server ešte nie je nastavený."));
    EXPECT_EQ(alerts[0].informative,
              QStringLiteral("Táto verzia podporuje aktualizácie priamo v aplikácii. Pred ich použitím musí byť "
                             "nastavený verejný HTTPS update feed."));
    EXPECT_TRUE(updater.canCheckForUpdates());
}

TEST(TarnelUpdater, VersionLabelCarriesTheBuildVersion)
{
    LinuxUpdater updater;
    const QString label = updater.versionLabel();
    EXPECT_TRUE(label.startsWith(QStringLiteral("Tarnel "))) << label.toStdString();
    // The build system stamps the project version; a label without one would show a dash.
    EXPECT_FALSE(label.startsWith(QStringLiteral("Tarnel \u2014"))) << label.toStdString();
    // The build number comes from the build as well: from the checkout's history when no
    // release number was given.
    EXPECT_FALSE(label.endsWith(QStringLiteral("(\u2014)"))) << label.toStdString();
    EXPECT_TRUE(label.endsWith(QLatin1Char(')')));
}

} // namespace
