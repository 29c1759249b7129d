#include "EngineTestSupport.h"

#include "core/L10n.h"

#include <gtest/gtest.h>

#include <QJsonArray>

namespace {

TEST(ClipboardModelSettings, FirstLaunchUsesTheDefaultsAndWritesNothing)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    EXPECT_TRUE(model.isRecording());
    EXPECT_EQ(model.historyLimit(), 100);
    EXPECT_FALSE(model.repeatsPasteStack());
    EXPECT_TRUE(model.automaticScreenshotCapture());
    EXPECT_EQ(model.screenshotFolderPath(), QStringLiteral("/home/user/Pictures/Screenshots"));
    EXPECT_EQ(model.appearance(), ClipboardAppearance::Dark);
    EXPECT_EQ(model.language(), AppLanguage::Sk);
    EXPECT_TRUE(model.entries().isEmpty());
    EXPECT_TRUE(model.jars().isEmpty());
    EXPECT_TRUE(model.snippets().isEmpty());
    EXPECT_TRUE(model.pasteStackEntryIDs().isEmpty());
    EXPECT_TRUE(model.consumedEntryIDs().isEmpty());
    EXPECT_FALSE(model.isPrivateMode());
    EXPECT_EQ(model.temporaryMinutes(), 0);
    EXPECT_EQ(model.selectedTab(), ClipboardPanelTab::Clipboard);
    EXPECT_EQ(model.quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Tabs);
    EXPECT_FALSE(model.isMonitoring());
    EXPECT_EQ(h.settings.writeCount(), 0);
}

TEST(ClipboardModelSettings, StoredValuesOfTheWrongTypeReadAsDefaults)
{
    struct Case {
        const char *name;
        QString key;
        QJsonValue stored;
        std::function<bool(const ClipboardModel &)> check;
    };
    const Case cases[] = {
        {"limit as text", ClipboardModel::historyLimitKey, QStringLiteral("20"),
         [](const ClipboardModel &m) { return m.historyLimit() == 100; }},
        {"limit with a fraction", ClipboardModel::historyLimitKey, 7.5,
         [](const ClipboardModel &m) { return m.historyLimit() == 100; }},
        {"limit stored", ClipboardModel::historyLimitKey, 7, [](const ClipboardModel &m) { return m.historyLimit() == 7; }},
        {"recording as text", ClipboardModel::recordingKey, QStringLiteral("false"),
         [](const ClipboardModel &m) { return m.isRecording(); }},
        {"recording stored off", ClipboardModel::recordingKey, false, [](const ClipboardModel &m) { return !m.isRecording(); }},
        {"screenshot capture as number", ClipboardModel::automaticScreenshotCaptureKey, 0,
         [](const ClipboardModel &m) { return m.automaticScreenshotCapture(); }},
        {"repeat stored", ClipboardModel::repeatsPasteStackKey, true, [](const ClipboardModel &m) { return m.repeatsPasteStack(); }},
        {"appearance with capital", QStringLiteral("tarnel.appearance"), QStringLiteral("Light"),
         [](const ClipboardModel &m) { return m.appearance() == ClipboardAppearance::Dark; }},
        {"appearance light", QStringLiteral("tarnel.appearance"), QStringLiteral("light"),
         [](const ClipboardModel &m) { return m.appearance() == ClipboardAppearance::Light; }},
        {"language en", QStringLiteral("tarnel.language"), QStringLiteral("en"),
         [](const ClipboardModel &m) { return m.language() == AppLanguage::En; }},
        {"folder stored", ClipboardModel::screenshotFolderPathKey, QStringLiteral("/data/shots"),
         [](const ClipboardModel &m) { return m.screenshotFolderPath() == QStringLiteral("/data/shots"); }},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        h.settings.setRaw(c.key, c.stored);
        EXPECT_TRUE(c.check(h.make())) << c.name;
        EXPECT_EQ(h.settings.writeCount(), 0) << c.name;
    }
}

TEST(ClipboardModelSettings, EveryAssignmentRunsItsEffectEvenWithTheSameValue)
{
    struct Case {
        const char *name;
        std::function<void(ClipboardModel &)> assign;
        QString key;
        QJsonValue expected;
    };
    const Case cases[] = {
        {"recording off", [](ClipboardModel &m) { m.setIsRecording(false); }, ClipboardModel::recordingKey, false},
        {"recording unchanged", [](ClipboardModel &m) { m.setIsRecording(true); }, ClipboardModel::recordingKey, true},
        {"repeat", [](ClipboardModel &m) { m.setRepeatsPasteStack(true); }, ClipboardModel::repeatsPasteStackKey, true},
        {"repeat unchanged", [](ClipboardModel &m) { m.setRepeatsPasteStack(false); }, ClipboardModel::repeatsPasteStackKey, false},
        {"limit", [](ClipboardModel &m) { m.setHistoryLimit(5); }, ClipboardModel::historyLimitKey, 5},
        {"limit unchanged", [](ClipboardModel &m) { m.setHistoryLimit(100); }, ClipboardModel::historyLimitKey, 100},
        {"limit negative not clamped", [](ClipboardModel &m) { m.setHistoryLimit(-3); }, ClipboardModel::historyLimitKey, -3},
        {"appearance", [](ClipboardModel &m) { m.setAppearance(ClipboardAppearance::Light); }, QStringLiteral("tarnel.appearance"),
         QStringLiteral("light")},
        {"appearance unchanged", [](ClipboardModel &m) { m.setAppearance(ClipboardAppearance::Dark); },
         QStringLiteral("tarnel.appearance"), QStringLiteral("dark")},
        {"language", [](ClipboardModel &m) { m.setLanguage(AppLanguage::En); }, QStringLiteral("tarnel.language"),
         QStringLiteral("en")},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        ClipboardModel &model = h.make();
        c.assign(model);
        EXPECT_EQ(h.settings.values().value(c.key), c.expected) << c.name;
    }
}

TEST(ClipboardModelSettings, NotStoredSettingsWriteNothingAndSignalOnlyOnChange)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    SignalCounter privateSpy(&model, &ClipboardModel::isPrivateModeChanged);
    SignalCounter minutesSpy(&model, &ClipboardModel::temporaryMinutesChanged);
    SignalCounter recordingSpy(&model, &ClipboardModel::isRecordingChanged);
    model.setIsPrivateMode(true);
    model.setIsPrivateMode(true);
    model.setTemporaryMinutes(5);
    model.setIsRecording(true); // unchanged: written, but not announced
    EXPECT_EQ(privateSpy.count, 1);
    EXPECT_EQ(minutesSpy.count, 1);
    EXPECT_EQ(recordingSpy.count, 0);
    EXPECT_EQ(h.settings.writeCount(), 1);

    // Neither survives a restart.
    ClipboardModel &again = h.make();
    EXPECT_FALSE(again.isPrivateMode());
    EXPECT_EQ(again.temporaryMinutes(), 0);
}

TEST(ClipboardModelSettings, HistoryLimitTrimsAndWritesTheHistoryAtOnce)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    for (const char *text : {"one", "two", "three"})
        h.copyText(QString::fromLatin1(text));
    const int writesBefore = h.settings.writeCount();
    model.setHistoryLimit(model.historyLimit()); // same value: still writes the key and the history
    EXPECT_EQ(h.settings.writeCount(), writesBefore + 2);

    model.setHistoryLimit(0);
    EXPECT_TRUE(model.entries().isEmpty());
    ClipboardModel &restarted = h.make();
    EXPECT_EQ(restarted.historyLimit(), 0);
    EXPECT_TRUE(restarted.entries().isEmpty());
}

TEST(ClipboardModelSettings, LanguageSwitchShowsInTheNextTranslatedText)
{
    L10n::setTranslationsForTesting(QHash<QString, QString>{{QStringLiteral("Schránka"), QStringLiteral("Clipboard")}});
    {
        ModelHarness h;
        ClipboardModel &model = h.make();
        EXPECT_EQ(L10n::text(QStringLiteral("Schránka")), QStringLiteral("Schránka"));
        model.setLanguage(AppLanguage::En);
        EXPECT_EQ(L10n::text(QStringLiteral("Schránka")), QStringLiteral("Clipboard"));
        model.setLanguage(AppLanguage::Sk);
        EXPECT_EQ(L10n::text(QStringLiteral("Schránka")), QStringLiteral("Schránka"));
    }
    L10n::setTranslationsForTesting(std::nullopt);
}

TEST(ClipboardModelSettings, LaunchAtLoginShowsWhatTheSystemHolds)
{
    ModelHarness h;
    h.loginItem.setEnabledBySystem(true);
    ClipboardModel &model = h.make();
    EXPECT_TRUE(model.launchAtLoginEnabled());

    h.loginItem.setEnabledBySystem(false);
    h.loginItem.setFailure(QStringLiteral("autostart folder is read-only"));
    model.setLaunchAtLogin(true);
    EXPECT_EQ(model.launchAtLoginIssue(), QStringLiteral("autostart folder is read-only"));
    EXPECT_FALSE(model.launchAtLoginEnabled());

    h.loginItem.setFailure(std::nullopt);
    model.setLaunchAtLogin(true);
    EXPECT_EQ(model.launchAtLoginIssue(), std::nullopt);
    EXPECT_TRUE(model.launchAtLoginEnabled());
    model.setLaunchAtLogin(false);
    EXPECT_FALSE(model.launchAtLoginEnabled());
    EXPECT_EQ(h.loginItem.requestCount(), 3);
}

} // namespace
