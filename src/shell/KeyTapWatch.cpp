#include "shell/KeyTapWatch.h"

#include "engine/ClipboardModel.h"
#include "engine/ModelClock.h"
#include "platform/HotKeyRegistry.h"

namespace {

bool isCopyShortcut(AppShortcut shortcut)
{
    return shortcut == AppShortcut::pasteStack || shortcut == AppShortcut::privateCopy;
}

} // namespace

KeyTapWatch::KeyTapWatch(ClipboardModel &model, KeyTap &tap, HotKeyRegistry &registry, ModelClock &clock,
                         std::function<bool()> isProgramActive)
    : m_model(model)
    , m_tap(tap)
    , m_registry(registry)
    , m_clock(clock)
    , m_isProgramActive(std::move(isProgramActive))
{
}

void KeyTapWatch::follow(bool watchingAllowed)
{
    if (watchingAllowed) {
        install();
        return;
    }
    remove();
    m_model.setPasteMonitoringEnabled(false);
}

bool KeyTapWatch::install()
{
    if (m_installed)
        return true;
    connect(&m_tap, &KeyTap::keyPressed, this, &KeyTapWatch::handle, Qt::UniqueConnection);
    if (!m_tap.start()) {
        disconnect(&m_tap, &KeyTap::keyPressed, this, &KeyTapWatch::handle);
        return false;
    }
    m_installed = true;
    m_model.setPasteMonitoringEnabled(true);
    return true;
}

void KeyTapWatch::remove()
{
    if (!m_installed)
        return;
    m_tap.stop();
    disconnect(&m_tap, &KeyTap::keyPressed, this, &KeyTapWatch::handle);
    m_installed = false;
}

bool KeyTapWatch::handle(const KeyTapEvent &event)
{
    if (event.isAutoRepeat)
        return false;

    if (event.isScreenshotChord)
        m_model.setScreenshotChordWindowEnd(m_clock.now().addSecs(kScreenshotCopyWindow.count()));
    else if (event.key == Qt::Key_Escape)
        m_model.setScreenshotChordWindowEnd(std::nullopt);

    const bool overlayShown = m_model.isPanelOverlayPresented() || m_model.isQuickAccessPresented();
    if (const std::optional<AppShortcut> shortcut = AppShortcut::matching(QKeyCombination(event.modifiers, event.key))) {
        // The grab delivers its own presses; only a copy shortcut whose grab was refused is
        // run from here, and not while Tarnel's own windows have the keyboard (their key map
        // sees that press).
        if (isCopyShortcut(*shortcut) && !overlayShown && !m_isProgramActive()
            && m_registry.failures().contains(*shortcut)) {
            Q_EMIT refusedShortcutPressed(*shortcut);
        }
        return false;
    }
    if (overlayShown || m_isProgramActive())
        return false;
    return m_model.handleTypedKey(event.key, event.characters, event.modifiers);
}
