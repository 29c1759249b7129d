#pragma once

#include <QSizeF>

#include <chrono>

// The panel's clock and measures, in one place so that every consumer agrees.
namespace PanelTimings {

using namespace std::chrono_literals;

// How often the pointer is looked at while the panel is open, opening or closing, or held.
// A collapsed, idle panel does not look at all: its window, shaped to the notch, is told
// when the pointer enters it.
constexpr std::chrono::milliseconds pointerTick = 30ms;
// The content appears only once the pointer stayed this long after the panel widened.
constexpr std::chrono::milliseconds contentExpansionDelay = 180ms;
// A pointer that left shrinks the width only after this pause, so a quick return keeps it.
constexpr std::chrono::milliseconds widthCollapseDelay = 260ms;
constexpr std::chrono::milliseconds widenAnimation = 180ms;
constexpr std::chrono::milliseconds narrowAnimation = 220ms;
// The details panel unfolds below the notch row, and folds back, over this long (ease-in-out).
constexpr std::chrono::milliseconds contentAnimation = 260ms;
// The collapsed notch widens for a copied notice, and narrows after it, over this long.
constexpr std::chrono::milliseconds noticeAnimation = 280ms;
// How long after news of a tray host the tray is asked once more: the tray icon's own display
// connection may hear of a host that went away a moment after the news, and answer until then
// from what it knew.
constexpr std::chrono::milliseconds trayHostSettle = 250ms;
// A tray click this soon after the popup lost the keyboard is the click that closed it.
constexpr std::chrono::milliseconds trayClickClosingPopup = 400ms;
// After hiding Tarnel's windows, the screen is left this long to redraw before a region of
// it is captured for reading text.
constexpr std::chrono::milliseconds screenReadHideDelay = 180ms;
// Quick Access that has not been given the keyboard this long after asking for it is closed:
// without keys it could neither be searched nor pasted from (a desktop that refuses to move
// the keyboard marks the window as wanting attention instead).
constexpr std::chrono::milliseconds quickAccessKeyboardWait = 600ms;
// A window of Tarnel's over Quick Access (a save dialog) closed: the window manager hands the
// keyboard to the application behind once it has seen the window go, which may be long after
// under load. The keyboard leaving within this time is that handoff, not the user's click, and
// Quick Access takes it back instead of closing.
constexpr std::chrono::milliseconds windowManagerKeyboardHandoff = 3000ms;
// While the screen is locked or a screen saver runs, a screenshot's toast waits; the screen is
// looked at again this often until it shows.
constexpr std::chrono::milliseconds coveredScreenRecheck = 1000ms;
// Other instances asked to quit are ended forcibly when still running after this.
constexpr std::chrono::milliseconds otherInstanceForceQuitDelay = 400ms;

} // namespace PanelTimings

namespace PanelMetrics {

constexpr QSizeF compactSize{96, 40};
constexpr qreal copiedNoticeWidth = 160;
constexpr QSizeF stretchedSize{450, 40};
// Also the frame the panel's view is laid out in; its window covers only what is drawn of it.
constexpr QSizeF expandedSize{450, 460};
constexpr qreal screenshotNoticeWidth = 280;
constexpr qreal screenshotNoticeChrome = 94;
constexpr qreal screenshotPreviewWidth = 256;
constexpr qreal screenshotPreviewMaxHeight = 366;
constexpr qreal screenshotPreviewFallbackHeight = 160;
constexpr qreal screenshotPreviewScreenMargin = 100;

constexpr QSizeF toastSize{320, 124};
constexpr qreal toastScreenInset = 20;
constexpr QSizeF textSheetSize{500, 400};
constexpr QSizeF composerSize{860, 640};
constexpr QSizeF settingsSize{560, 700};
constexpr QSizeF onboardingSize{760, 560};
constexpr qreal quickAccessWidth = 350;

} // namespace PanelMetrics
