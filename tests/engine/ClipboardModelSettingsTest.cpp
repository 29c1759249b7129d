#include "EngineTestSupport.h"

#include "core/L10n.h"

#include <gtest/gtest.h>

#include <QJsonArray>

namespace {

TEST(ClipboardModelSettings, NotStoredSettingsWriteNothingAndSignalOnlyOnChange)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    QSignalSpy privateSpy(&model, &ClipboardModel::isPrivateModeChanged);
    QSignalSpy minutesSpy(&model, &ClipboardModel::temporaryMinutesChanged);
    QSignalSpy recordingSpy(&model, &ClipboardModel::isRecordingChanged);
    model.setIsPrivateMode(true);
    model.setIsPrivateMode(true);
    model.setTemporaryMinutes(5);
    model.setIsRecording(true); // unchanged: written, but not announced
    EXPECT_EQ(privateSpy.size(), 1);
    EXPECT_EQ(minutesSpy.size(), 1);
    EXPECT_EQ(recordingSpy.size(), 0);
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
    model.setHistoryLimit(model.historyLimit()); // same value: still writes the key
    EXPECT_EQ(h.settings.writeCount(), writesBefore + 1);
    EXPECT_EQ(h.storedHistory().size(), 3);

    model.setHistoryLimit(1);
    EXPECT_EQ(idsOf(h.storedHistory()), idsOf(model.entries()));
    model.setHistoryLimit(0);
    EXPECT_TRUE(model.entries().isEmpty());
    EXPECT_TRUE(h.storedHistory().isEmpty());
    ClipboardModel &restarted = h.make();
    EXPECT_EQ(restarted.historyLimit(), 0);
    EXPECT_TRUE(restarted.entries().isEmpty());
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
