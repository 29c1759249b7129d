#pragma once

#include "shell/FakePanelModelLink.h"
#include "engine/ClipboardModel.h"
#include "platform/fake/FakePasteboard.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"
#include "platform/fake/FakeDesktopCompositor.h"
#include "platform/fake/FakePanelWindowTraits.h"
#include "platform/fake/FakeDesktopBars.h"
#include "platform/fake/FakePointerMotion.h"
#include "platform/fake/FakePointerPresses.h"
#include "platform/ScreenTextCapture.h"
#include "platform/TrayHostMonitor.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeRegionCapture.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/FakeModelClock.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

// Hover clocks short enough for tests; the pointer beat is left to the tests themselves.
inline NotchHoverTimings shortHoverTimings()
{
    NotchHoverTimings timings;
    timings.pointerTick = 1h;
    timings.contentExpansionDelay = 40ms;
    timings.widthCollapseDelay = 60ms;
    timings.widenAnimation = 0ms;
    timings.narrowAnimation = 0ms;
    return timings;
}

// One controller over fakes, with a pointer the test moves.
struct PanelHarness {
    explicit PanelHarness(QJsonObject settingsValues = {}, NotchHoverTimings timings = shortHoverTimings(),
                          bool hasSystemTray = true)
        : settings(std::move(settingsValues))
        , trayAvailable(hasSystemTray)
    {
        workspace.setOwnPid(4242);
        // The guide's pages work on a real model over the same settings, so what they write
        // lands beside the controller's own keys.
        ClipboardModelServices modelServices;
        modelServices.pasteboard = &pasteboard;
        modelServices.settings = &settings;
        modelServices.workspace = &workspace;
        modelServices.permissions = &permissions;
        modelServices.imageFolder = folder.filePath(QStringLiteral("Clipboard Images"));
        modelServices.backupFolder = folder.path();
        wholeModel = std::make_unique<ClipboardModel>(std::move(modelServices));
        PanelServices services{settings, workspace, permissions, traits, [this] { return pointer; },
                               [this] { return trayAvailable; }, nullptr, nullptr, &screenText,
                               [this](const QString &message, const QString &, const QStringList &) {
                                   alerts.append(message);
                                   return alertChoice;
                               },
                               nullptr, &trayHost};
        services.compositor = &compositor;
        services.pointerPresses = &pointerPresses;
        services.pointerMotion = &pointerMotion;
        services.desktopBars = &bars;
        services.clock = &clock;
        services.clipboardModel = wholeModel.get();
        controller = std::make_unique<NotchPanelController>(model, services, timings);
    }

    TarnelPanel &panel() const { return *controller->panel(); }
    // Where the panel's view is laid out; the window covers only what is drawn of it.
    QRect frame() const { return panel().frame(); }
    // A point inside the collapsed notch: the top centre of the panel.
    QPoint notchCentre() const { return QPoint(frame().center().x(), frame().top() + 5); }
    // A point on the panel window but far from any notch size.
    QPoint besideNotch() const { return QPoint(frame().left() + 2, frame().bottom() - 2); }

    void moveTo(const QPoint &point)
    {
        pointer = point;
        controller->updatePointerPassthrough();
    }
    bool shows(bool width, bool content) const
    {
        return controller->isWidthExpanded() == width && controller->isContentExpanded() == content;
    }
    // Moves time on a millisecond at a time, the pointer looked at on each, until the panel
    // shows the look (width, content); the time that took, or -1 when it never did.
    qint64 waitForLook(bool width, bool content)
    {
        for (qint64 elapsed = 0; elapsed <= 2000; ++elapsed) {
            controller->updatePointerPassthrough();
            if (shows(width, content))
                return elapsed;
            clock.advance(1ms);
        }
        return -1;
    }

    FakeModelClock clock;
    FakePanelModelLink model;
    FakeSettingsStore settings;
    FakePasteboard pasteboard;
    QTemporaryDir folder;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakePanelWindowTraits traits;
    FakeDesktopCompositor compositor;
    FakeRegionCapture regionCapture;
    FakeTextRecognizer recognizer;
    ScreenTextCapture screenText{regionCapture, recognizer};
    // Alerts shown, by message, and the button index every alert answers with.
    QStringList alerts;
    int alertChoice = 1;
    QPoint pointer{0, 500};
    bool trayAvailable = true;
    // Announces that trayAvailable may have changed.
    TrayHostMonitor trayHost;
    FakePointerPresses pointerPresses;
    // The desktop's word on the pointer, which the test gives with moveTo as it likes.
    FakePointerMotion pointerMotion;
    FakeDesktopBars bars;
    std::unique_ptr<ClipboardModel> wholeModel;
    std::unique_ptr<NotchPanelController> controller;
};
