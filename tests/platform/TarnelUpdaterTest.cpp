#include "platform/fake/FakeUpdater.h"
#include "platform/x11/LinuxUpdater.h"

#include <gtest/gtest.h>

namespace {

struct Alert {
    QString message;
    QString informative;
};

TEST(TarnelUpdater, WithoutAnUpdateServiceACheckShowsTheNotConfiguredAlert)
{
    LinuxUpdater updater;
    QList<Alert> alerts;
    updater.onAlert = [&](const QString &message, const QString &informative) { alerts.append({message, informative}); };

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

TEST(TarnelUpdater, ACheckWithoutAnAlertCallbackDoesNotCrash)
{
    LinuxUpdater updater;
    updater.checkForUpdates();
    EXPECT_TRUE(updater.canCheckForUpdates());
}

TEST(TarnelUpdater, VersionLabelShowsAnEmDashForMissingValues)
{
    const struct {
        std::optional<QString> version;
        std::optional<QString> build;
        QString expected;
    } cases[] = {
        {QStringLiteral("1.4.2"), QStringLiteral("87"), QStringLiteral("Tarnel 1.4.2 (87)")},
        {std::nullopt, QStringLiteral("87"), QStringLiteral("Tarnel \u2014 (87)")},
        {QStringLiteral("1.4.2"), std::nullopt, QStringLiteral("Tarnel 1.4.2 (\u2014)")},
        {std::nullopt, std::nullopt, QStringLiteral("Tarnel \u2014 (\u2014)")},
        {QString(), QString(), QStringLiteral("Tarnel  ()")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TarnelUpdater::versionLabelFor(c.version, c.build), c.expected);
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

TEST(TarnelUpdater, PublishedFlagsNotifyOnlyOnChange)
{
    FakeUpdater updater;
    QList<bool> canCheck;
    QList<bool> automatic;
    QObject::connect(&updater, &TarnelUpdater::canCheckForUpdatesChanged, [&](bool v) { canCheck.append(v); });
    QObject::connect(&updater, &TarnelUpdater::automaticallyChecksChanged, [&](bool v) { automatic.append(v); });
    updater.setCanCheckForUpdates(true); // unchanged
    updater.setCanCheckForUpdates(false);
    updater.setAutomaticallyChecks(true);
    updater.setAutomaticallyChecks(true); // unchanged
    EXPECT_EQ(canCheck, QList<bool>{false});
    EXPECT_EQ(automatic, QList<bool>{true});

    // A configured service starts a check only while it can.
    updater.configured = true;
    int alerts = 0;
    updater.onAlert = [&](const QString &, const QString &) { ++alerts; };
    updater.checkForUpdates();
    updater.setCanCheckForUpdates(true);
    updater.checkForUpdates();
    EXPECT_EQ(updater.checksStarted, 1);
    EXPECT_EQ(alerts, 0);
}

} // namespace
