#pragma once

// A keyboard monitor over a model wired to in-memory services, with hot keys and a key tap
// that the test presses by hand.

#include "../engine/EngineTestSupport.h"

#include "core/AccessibilityNotice.h"
#include "platform/fake/FakeHotKeyRegistry.h"
#include "platform/fake/FakeKeyTap.h"
#include "shell/GlobalPasteMonitor.h"

namespace monitortest {

// The modifiers by the names of the keys.
constexpr Qt::KeyboardModifier Shift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifier Control = Qt::ControlModifier;
constexpr Qt::KeyboardModifier Alt = Qt::AltModifier;
constexpr Qt::KeyboardModifier Super = Qt::MetaModifier;
using pastetest::textEntry;

class MonitorTest : public pastetest::PasteModelTest {
protected:
    static RunningApplication editor() { return RunningApplication{11, kFrontPid, QStringLiteral("Editor")}; }

    GlobalPasteMonitor &createMonitor()
    {
        if (!model)
            createModel();
        workspace.setApplications({editor()});
        workspace.setFrontmostApplication(editor());
        monitor = std::make_unique<GlobalPasteMonitor>(
            *model, GlobalPasteMonitorServices{hotKeys, tap, permissions, workspace, &clock,
                                               [this] { return programActive; },
                                               [this] { return textFieldFocused; },
                                               [this] { return permissionsShown; }});
        QObject::connect(monitor.get(), &GlobalPasteMonitor::quickAccessRequested,
                         [this](bool pasteAs) { quickAccessCalls.append(pasteAs); });
        QObject::connect(monitor.get(), &GlobalPasteMonitor::dismissQuickAccessRequested, [this] { ++dismissCalls; });
        QObject::connect(monitor.get(), &GlobalPasteMonitor::accessibilityRequired, [this] { ++accessibilityRequests; });
        return *monitor;
    }

    // A press as the key tap reports it.
    static KeyTapEvent press(Qt::Key key, Qt::KeyboardModifiers modifiers = {},
                             std::optional<QString> characters = std::nullopt)
    {
        KeyTapEvent event;
        event.key = key;
        event.modifiers = modifiers;
        event.characters = std::move(characters);
        return event;
    }
    static KeyTapEvent press(AppShortcut shortcut)
    {
        return press(shortcut.keys().key(), shortcut.keys().keyboardModifiers());
    }

    // Opens Quick Access as the controller does, on a tab.
    void openQuickAccess(ClipboardPanelTab tab = ClipboardPanelTab::History)
    {
        model->beginQuickAccess(editor());
        model->setSelectedTab(tab);
    }

    bool key(Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}, std::optional<QString> characters = std::nullopt)
    {
        return monitor->keyMap().handleKey(pressed, modifiers, characters);
    }

    FakeHotKeyRegistry hotKeys;
    FakeKeyTap tap;
    bool programActive = false;
    bool textFieldFocused = false;
    bool permissionsShown = true;
    std::unique_ptr<GlobalPasteMonitor> monitor;
    QList<bool> quickAccessCalls;
    int dismissCalls = 0;
    int accessibilityRequests = 0;
};

} // namespace monitortest
