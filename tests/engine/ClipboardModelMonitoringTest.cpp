#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(ClipboardModelMonitoring, StartingMonitoringMatchesTheScreenshotWatchToTheSettings)
{
    struct Case {
        const char *name;
        bool automaticCapture;
        bool folderExists;
        bool watchSucceeds;
        bool clearFolder;
        bool watching;
        std::optional<QString> issue;
    };
    const Case cases[] = {
        {"watching", true, true, true, false, true, std::nullopt},
        {"automatic capture off", false, true, true, false, false, std::nullopt},
        {"no folder chosen", true, true, true, true, false, ClipboardModel::screenshotFolderMissingIssue},
        {"folder missing", true, false, true, false, false, ClipboardModel::screenshotFolderNotOpenedIssue},
        // Other programs have used up the user's inotify instances: the folder is polled.
        {"folder events unavailable", true, true, false, false, true, std::nullopt},
        {"folder missing, no events", true, false, false, false, false, ClipboardModel::screenshotFolderNotOpenedIssue},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        const QString folder = h.folder.filePath(QStringLiteral("Screenshots"));
        if (c.folderExists)
            QDir().mkpath(folder);
        h.settings.setText(ClipboardModel::screenshotFolderPathKey, folder);
        h.settings.setBool(ClipboardModel::automaticScreenshotCaptureKey, c.automaticCapture);
        ClipboardModel &model = h.make();
        h.folderWatcher->watchSucceeds = c.watchSucceeds;
        if (c.clearFolder)
            model.setScreenshotFolderPath(std::nullopt);
        model.startMonitoring();
        EXPECT_EQ(model.screenshotFolderMonitor()->folder().has_value(), c.watching) << c.name;
        EXPECT_EQ(model.screenshotCaptureIssue(), c.issue) << c.name;
    }
}

} // namespace
