#pragma once

#include "core/AppShortcut.h"
#include "platform/KeyTap.h"

#include <QObject>

#include <chrono>
#include <functional>

class ClipboardModel;
class HotKeyRegistry;
class ModelClock;

// The keys other applications receive, seen through the key tap while the desktop allows it:
// the screenshot chord arms the screenshot window, typed keys go to the snippet triggers, and a
// copy shortcut whose grab was refused is run from here.
class KeyTapWatch : public QObject {
    Q_OBJECT
public:
    // An image copied this soon after the desktop's screenshot chord counts as a screenshot.
    static constexpr std::chrono::seconds kScreenshotCopyWindow{60};

    // `isProgramActive`: whether one of Tarnel's own windows has the keyboard.
    KeyTapWatch(ClipboardModel &model, KeyTap &tap, HotKeyRegistry &registry, ModelClock &clock,
                std::function<bool()> isProgramActive);

    // Runs the tap while watching is allowed and stops it when it no longer is.
    void follow(bool watchingAllowed);
    bool isInstalled() const { return m_installed; }
    // A key press seen by the tap; true when it completed a snippet trigger.
    bool handle(const KeyTapEvent &event);

Q_SIGNALS:
    // A copy shortcut pressed in another application while its grab is refused.
    void refusedShortcutPressed(AppShortcut shortcut);

private:
    bool install();
    void remove();

    ClipboardModel &m_model;
    KeyTap &m_tap;
    HotKeyRegistry &m_registry;
    ModelClock &m_clock;
    std::function<bool()> m_isProgramActive;
    bool m_installed = false;
};
