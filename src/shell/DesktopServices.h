#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class DesktopCompositor;
class FolderWatcher;
class HistoryStore;
class HotKeyRegistry;
class InstanceLock;
class KeySender;
class KeyTap;
class LoginItem;
class PanelWindowTraits;
class Pasteboard;
class PointerMotion;
class PointerPresses;
class DesktopBars;
class Permissions;
class QrDetector;
class ScreenTextCapture;
class ScreenshotLocation;
class SettingsStore;
class TarnelUpdater;
class TextRecognizer;
class TrayHostMonitor;
class Workspace;

// The desktop as the composition root meets it: every backend it wires, owned by whoever hands
// them in and outliving the root. The program hands in the X11 desktop's; tests hand in fakes.
struct DesktopServices {
    static constexpr std::chrono::milliseconds kUnsavedHistoryNoticeLimit{15'000};

    InstanceLock &instanceLock;
    SettingsStore &settings;
    HistoryStore &history;
    Workspace &workspace;
    // Decides whether keys of other applications can be seen.
    KeyTap &keyTap;
    Permissions &permissions;
    HotKeyRegistry &hotKeys;
    KeySender &keySender;
    PanelWindowTraits &windowTraits;
    Pasteboard &pasteboard;
    LoginItem &loginItem;
    ScreenshotLocation &screenshotLocation;
    // The optional ones: without them the panel offers less (see PanelServices).
    DesktopCompositor *compositor = nullptr;
    TrayHostMonitor *trayHostMonitor = nullptr;
    PointerPresses *pointerPresses = nullptr;
    PointerMotion *pointerMotion = nullptr;
    DesktopBars *desktopBars = nullptr;
    TextRecognizer *textRecognizer = nullptr;
    QrDetector *qrDetector = nullptr;
    ScreenTextCapture *screenTextCapture = nullptr;
    // The earlier product's settings, opened read-only once the other instances are gone (they
    // may still write them while quitting); no migration runs without them.
    std::function<std::unique_ptr<SettingsStore>()> openEarlierSettings;
    // The updater the settings offer, made at start-up; none without it.
    std::function<std::unique_ptr<TarnelUpdater>()> makeUpdater;
    // Watches the screenshot folder; the model watches nothing without it.
    std::function<std::unique_ptr<FolderWatcher>()> makeFolderWatcher;
    // How long the clipboard may take to read one change: a quit waits at most this, plus the
    // time the model takes to finish the copies it holds.
    std::chrono::milliseconds copyFetchDeadline{0};
    // How long a quit that would lose copies the history could not write shows the alert that
    // says so: a session that is ending does not wait for the user to read it.
    std::chrono::milliseconds unsavedHistoryNoticeLimit = kUnsavedHistoryNoticeLimit;
    // The folder under which the earlier and the current image folders lie; the user's data
    // folder when empty.
    QString dataFolder;
};
