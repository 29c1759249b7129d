#pragma once

#include "platform/ScreenTextCapture.h"
#include "platform/linux/LinuxInstanceLock.h"
#include "platform/linux/LinuxLoginItem.h"
#include "platform/linux/LinuxQrDetector.h"
#include "platform/linux/LinuxScreenshotLocation.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/LinuxTextRecognizer.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "platform/x11/X11DesktopBars.h"
#include "platform/x11/X11DesktopCompositor.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11PanelWindowTraits.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11PointerMotion.h"
#include "platform/x11/X11PointerPresses.h"
#include "platform/x11/X11RegionCapture.h"
#include "platform/x11/X11ScreenColormap.h"
#include "platform/x11/X11TrayHostMonitor.h"
#include "platform/x11/X11Workspace.h"
#include "shell/DesktopServices.h"

// The backends the program runs on: the X11 session's and the Linux desktop's, made once at
// its start, in the order they need, and kept as long as it runs. Only the program's entry
// builds it; everything above sees the services it hands out.
class X11Desktop {
public:
    X11Desktop();

    // Everything the composition root wires, borrowed from this object.
    DesktopServices services();

private:
    // Made before the other services and so ended after them: the lock is held, and a newer
    // instance kept waiting, until the history's last write is done.
    LinuxInstanceLock m_lock;
    // Before any window is made.
    X11ScreenColormap m_colormaps;
    LinuxSettingsStore m_settings{LinuxSettingsStore::defaultPath()};
    SqliteHistoryStore m_history{SqliteHistoryStore::defaultPath()};
    X11Workspace m_workspace;
    // The tap decides whether keys of other applications can be seen, so it comes first.
    X11KeyTap m_keyTap;
    X11Permissions m_permissions{&m_keyTap};
    X11HotKeyRegistry m_hotKeys;
    X11Pasteboard m_pasteboard;
    X11KeySender m_keySender{&m_workspace, &m_pasteboard};
    X11PanelWindowTraits m_windowTraits;
    X11DesktopCompositor m_compositor;
    X11TrayHostMonitor m_trayHost;
    X11PointerPresses m_pointerPresses;
    X11PointerMotion m_pointerMotion;
    X11DesktopBars m_desktopBars;
    LinuxLoginItem m_loginItem;
    LinuxScreenshotLocation m_screenshotLocation;
    LinuxTextRecognizer m_textRecognizer;
    LinuxQrDetector m_qrDetector;
    X11RegionCapture m_regionCapture;
    ScreenTextCapture m_screenText{m_regionCapture, m_textRecognizer};
};
