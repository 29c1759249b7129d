#include "shell/X11Desktop.h"

#include "engine/HistoryWriter.h"
#include "platform/linux/LinuxFolderWatcher.h"
#include "platform/linux/LinuxUpdater.h"
#include "shell/CompositionRoot.h"
#include "shell/EndLimit.h"

#include <QFileInfo>

namespace {

// How long an instance asked to quit by a newer one may take: the copy the reader is still
// fetching, its classification, the history's last write, the reader's stop, and the end.
constexpr std::chrono::milliseconds kAskedInstanceQuitWait = X11Pasteboard::kFetchDeadline
    + CompositionRoot::kCopyFinishAllowance + HistoryWriter::kQuitFlushLimit + X11Pasteboard::kReaderStopLimit
    + EndLimit::kLimit + std::chrono::seconds(2);

LinuxInstanceLock::Options lockOptions()
{
    LinuxInstanceLock::Options options;
    options.quitWait = kAskedInstanceQuitWait;
    // The history's folder is locked, and the note beside the history says who holds it: a start
    // whose environment names another runtime folder finds the instance that writes it all the same.
    options.historyLockFilePath =
        QFileInfo(SqliteHistoryStore::defaultPath()).absolutePath() + QStringLiteral("/instance.lock");
    options.historyDatabase = SqliteHistoryStore::defaultPath();
    return options;
}

} // namespace

X11Desktop::X11Desktop()
    : m_lock(lockOptions())
{
    // Where the keyboard follows the pointer, the window the pointer came from before the notch
    // is the one the user worked in.
    m_workspace.followPointerWith(&m_pointerMotion);
}

DesktopServices X11Desktop::services()
{
    return DesktopServices{
        .instanceLock = m_lock,
        .settings = m_settings,
        .history = m_history,
        .workspace = m_workspace,
        .keyTap = m_keyTap,
        .permissions = m_permissions,
        .hotKeys = m_hotKeys,
        .keySender = m_keySender,
        .windowTraits = m_windowTraits,
        .pasteboard = m_pasteboard,
        .loginItem = m_loginItem,
        .screenshotLocation = m_screenshotLocation,
        .compositor = &m_compositor,
        .trayHostMonitor = &m_trayHost,
        .pointerPresses = &m_pointerPresses,
        .pointerMotion = &m_pointerMotion,
        .desktopBars = &m_desktopBars,
        .textRecognizer = &m_textRecognizer,
        .qrDetector = &m_qrDetector,
        .screenTextCapture = &m_screenText,
        .openEarlierSettings =
            [] {
                return std::make_unique<LinuxSettingsStore>(LinuxSettingsStore::earlierProductPath(),
                                                            LinuxSettingsStore::Access::ReadOnly);
            },
        .makeUpdater = [] { return std::make_unique<LinuxUpdater>(); },
        .makeFolderWatcher = [] { return std::make_unique<LinuxFolderWatcher>(); },
        .copyFetchDeadline = X11Pasteboard::kFetchDeadline,
        .dataFolder = {},
    };
}
