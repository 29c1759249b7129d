// The views the snapshot test draws. To add a view, add one line to the list below:
//     {"view-name", QSize(width or -1, height or -1), host width or 0, [](SnapshotContext &c) { return new MyView(...); }},
// The test then draws it in both schemes and both languages into <build>/snapshots/
// view-name-<dark|light>-<sk|en>.png, checks that it has the given frame, and fails when a fixed
// text (button title, badge, time) is cut or a fixed-size child is squeezed. Look at the PNGs.
#include "snapshots/SnapshotCatalog.h"

#include "snapshots/ComponentSamplers.h"
#include "snapshots/ImageToolSamplers.h"
#include "snapshots/LibrarySamplers.h"
#include "snapshots/OnboardingSamplers.h"
#include "snapshots/PanelSamplers.h"
#include "snapshots/QuickAccessSamplers.h"
#include "snapshots/SettingsSamplers.h"
#include "snapshots/SheetSamplers.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/settings/ClipboardSettingsPage.h"
#include "ui/settings/MenuPicker.h"
#include "ui/panel/NotchIdentityView.h"

const std::vector<SnapshotView> &snapshotViews()
{
    static const std::vector<SnapshotView> views = {
        {QStringLiteral("style-kit"), QSize(-1, -1), 0, [](SnapshotContext &) { return styleKitSampler(); }},
        {QStringLiteral("notch-identity"), QSize(-1, 40), 0, [](SnapshotContext &) { return new NotchIdentityView(true); }},
        {QStringLiteral("entry-row"), QSize(-1, 55), 420, [](SnapshotContext &c) { return new ClipboardRow(c.seed.entries().at(0)); }},
        {QStringLiteral("entry-rows"), QSize(-1, -1), 420, [](SnapshotContext &c) { return entryRowSampler(c.seed); }},
        {QStringLiteral("panel-collapsed"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Collapsed); }},
        {QStringLiteral("panel-wide"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Wide); }},
        {QStringLiteral("panel-copied"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Copied); }},
        {QStringLiteral("panel-screenshot-notice"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Screenshot); }},
        {QStringLiteral("panel-clipboard"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::Clipboard); }},
        {QStringLiteral("panel-paste-stack"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::PasteStack); }},
        {QStringLiteral("panel-history"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::History); }},
        {QStringLiteral("panel-jars"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::Jars); }},
        {QStringLiteral("panel-pins"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::Pins); }},
        {QStringLiteral("panel-gallery"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::Gallery); }},
        {QStringLiteral("panel-screenshots"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::Screenshots); }},
        {QStringLiteral("panel-snippets"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::Snippets); }},
        {QStringLiteral("panel-snippets-permissions"), kPanelSize, 0, [](SnapshotContext &) { return panelSample(PanelLook::Expanded, ClipboardPanelTab::Snippets, false); }},
        {QStringLiteral("library-clipboard"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Clipboard, LibraryContent::Seeded); }},
        {QStringLiteral("library-clipboard-empty"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Clipboard, LibraryContent::Empty); }},
        {QStringLiteral("library-history"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::History, LibraryContent::Seeded); }},
        {QStringLiteral("library-history-empty"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::History, LibraryContent::Empty); }},
        {QStringLiteral("library-pins"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Pins, LibraryContent::Seeded); }},
        {QStringLiteral("library-pins-empty"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Pins, LibraryContent::Empty); }},
        {QStringLiteral("library-paste-stack"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::PasteStack, LibraryContent::Seeded); }},
        {QStringLiteral("library-paste-stack-empty"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::PasteStack, LibraryContent::Empty); }},
        {QStringLiteral("library-jars"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Jars, LibraryContent::Seeded); }},
        {QStringLiteral("library-jars-empty"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Jars, LibraryContent::Empty); }},
        {QStringLiteral("library-snippets"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Snippets, LibraryContent::Seeded); }},
        {QStringLiteral("library-snippets-empty"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Snippets, LibraryContent::Empty); }},
        {QStringLiteral("library-gallery"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Gallery, LibraryContent::Seeded); }},
        {QStringLiteral("library-gallery-empty"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Gallery, LibraryContent::Empty); }},
        {QStringLiteral("library-screenshots"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Screenshots, LibraryContent::Seeded); }},
        {QStringLiteral("library-screenshots-empty"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Screenshots, LibraryContent::Empty); }},
        {QStringLiteral("library-row-unfolded"), kLibraryScreenSize, 0, [](SnapshotContext &) { return libraryUnfoldedRowSample(); }},
        {QStringLiteral("library-text-unfolded"), kLibraryScreenSize, 0, [](SnapshotContext &) { return libraryUnfoldedTextSample(); }},
        {QStringLiteral("library-jar-open"), kLibraryScreenSize, 0, [](SnapshotContext &) { return librarySample(ClipboardPanelTab::Jars, LibraryContent::Seeded, true); }},
        {QStringLiteral("menu-controls"), QSize(-1, -1), 300, [](SnapshotContext &) { return menuControlsSampler(); }},
        {QStringLiteral("masonry-grid"), QSize(-1, -1), 360, [](SnapshotContext &c) { return masonrySampler(c.seed); }},
        {QStringLiteral("screenshot-toast"), QSize(320, 124), 0, [](SnapshotContext &c) { return screenshotToastSample(c.seed); }},
        {QStringLiteral("screenshot-text-sheet"), QSize(500, 400), 0, [](SnapshotContext &c) { return screenshotTextSheetSample(c.seed, false); }},
        {QStringLiteral("screenshot-text-sheet-qr"), QSize(500, 400), 0, [](SnapshotContext &c) { return screenshotTextSheetSample(c.seed, true); }},
        {QStringLiteral("image-composer"), QSize(860, 640), 0, [](SnapshotContext &c) { return imageComposerSample(c.seed, false); }},
        {QStringLiteral("image-composer-styled"), QSize(860, 640), 0, [](SnapshotContext &c) { return imageComposerSample(c.seed, true); }},
        {QStringLiteral("screenshot-text-save-menu"), QSize(-1, -1), 0, [](SnapshotContext &c) { return saveMenuSample(c.seed); }},
        {QStringLiteral("image-preview"), QSize(720, 590), 0, [](SnapshotContext &c) { return imagePreviewSample(c.seed); }},
        {QStringLiteral("edit-text-sheet"), QSize(570, 420), 0, [](SnapshotContext &c) { return editTextSheetSample(c.seed, false); }},
        {QStringLiteral("edit-text-sheet-refused"), QSize(570, 420), 0, [](SnapshotContext &c) { return editTextSheetSample(c.seed, true); }},
        {QStringLiteral("snippet-editor-new"), QSize(580, 470), 0, [](SnapshotContext &c) { return snippetEditorSample(c.seed, false, false); }},
        {QStringLiteral("snippet-editor-refused"), QSize(580, 470), 0, [](SnapshotContext &c) { return snippetEditorSample(c.seed, true, true); }},
        {QStringLiteral("jar-editor-new"), QSize(370, 230), 0, [](SnapshotContext &c) { return jarEditorSample(c.seed, false, false); }},
        {QStringLiteral("jar-editor-refused"), QSize(370, 230), 0, [](SnapshotContext &c) { return jarEditorSample(c.seed, true, true); }},
        {QStringLiteral("clear-alert-history"), QSize(-1, -1), 0, [](SnapshotContext &) { return clearAlertSample(ClearSection::History); }},
        {QStringLiteral("clear-alert-delete-jar"), QSize(-1, -1), 0, [](SnapshotContext &) { return clearAlertSample(ClearSection::DeleteJar); }},
        {QStringLiteral("actions-menu-text"), QSize(268, -1), 0, [](SnapshotContext &c) { return actionsMenuSample(c.seed, ClipboardKind::Text, 0); }},
        {QStringLiteral("actions-menu-url"), QSize(268, -1), 0, [](SnapshotContext &c) { return actionsMenuSample(c.seed, ClipboardKind::Url, 0); }},
        {QStringLiteral("actions-menu-image"), QSize(268, -1), 0, [](SnapshotContext &c) { return actionsMenuSample(c.seed, ClipboardKind::Image, 0); }},
        {QStringLiteral("actions-menu-transform"), QSize(268, -1), 0, [](SnapshotContext &c) { return actionsMenuSample(c.seed, ClipboardKind::Text, 1); }},
        {QStringLiteral("actions-menu-color"), QSize(268, -1), 0, [](SnapshotContext &c) { return actionsMenuSample(c.seed, ClipboardKind::Color, 2); }},
        {QStringLiteral("actions-menu-jars"), QSize(268, -1), 0, [](SnapshotContext &c) { return actionsMenuSample(c.seed, ClipboardKind::Text, 3); }},
        {QStringLiteral("settings-picker-menu"), QSize(-1, -1), 0, [](SnapshotContext &c) {
             return menuSampler([model = &c.seed.model()](QWidget *owner, PanelStyle::Scheme scheme) {
                 PanelStyle::applyScheme(owner, scheme);
                 return (new ClipboardSettingsPage(model->preferences(), owner))->historyLimitPicker()->buildMenu();
             });
         }},
        {QStringLiteral("settings-general"), kSettingsWindowSize, 0, [](SnapshotContext &c) { return settingsSample(c.seed, SettingsView::Tab::General); }},
        {QStringLiteral("settings-clipboard"), kSettingsWindowSize, 0, [](SnapshotContext &c) { return settingsSample(c.seed, SettingsView::Tab::Clipboard); }},
        {QStringLiteral("settings-screenshots"), kSettingsWindowSize, 0, [](SnapshotContext &c) { return settingsSample(c.seed, SettingsView::Tab::Screenshots); }},
        {QStringLiteral("settings-shortcuts"), kSettingsWindowSize, 0, [](SnapshotContext &c) { return settingsSample(c.seed, SettingsView::Tab::Shortcuts); }},
        {QStringLiteral("onboarding-welcome"), kOnboardingWindowSize, 0, [](SnapshotContext &c) { return onboardingSample(c.seed, OnboardingStep::Welcome); }},
        {QStringLiteral("onboarding-permissions"), kOnboardingWindowSize, 0, [](SnapshotContext &c) { return onboardingSample(c.seed, OnboardingStep::Permissions); }},
        {QStringLiteral("onboarding-screenshots"), kOnboardingWindowSize, 0, [](SnapshotContext &c) { return onboardingSample(c.seed, OnboardingStep::Screenshots); }},
        {QStringLiteral("onboarding-preferences"), kOnboardingWindowSize, 0, [](SnapshotContext &c) { return onboardingSample(c.seed, OnboardingStep::Preferences); }},
        {QStringLiteral("onboarding-ready"), kOnboardingWindowSize, 0, [](SnapshotContext &c) { return onboardingSample(c.seed, OnboardingStep::Ready); }},
        {QStringLiteral("quick-access-history"), QSize(350, 408), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::Lists, ClipboardPanelTab::History, QSize(350, 408)); }},
        {QStringLiteral("quick-access-snippets"), QSize(350, 290), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::Lists, ClipboardPanelTab::Snippets, QSize(350, 290)); }},
        {QStringLiteral("quick-access-jars"), QSize(350, 290), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::Lists, ClipboardPanelTab::Jars, QSize(350, 290)); }},
        {QStringLiteral("quick-access-jar"), QSize(350, 290), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::JarDrillDown, ClipboardPanelTab::Jars, QSize(350, 290)); }},
        {QStringLiteral("quick-access-search-selected"), QSize(350, 290), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::SearchSelection, ClipboardPanelTab::History, QSize(350, 290)); }},
        {QStringLiteral("quick-access-empty"), QSize(350, 290), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::Searching, ClipboardPanelTab::Screenshots, QSize(350, 290)); }},
        {QStringLiteral("quick-access-paste-options"), QSize(350, 414), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::TextOptions, ClipboardPanelTab::History, QSize(350, 414)); }},
        {QStringLiteral("quick-access-image-options"), QSize(350, 370), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::ImageOptions, ClipboardPanelTab::History, QSize(350, 370)); }},
        {QStringLiteral("quick-access-notice"), QSize(350, 240), 0, [](SnapshotContext &c) { return quickAccessSample(c.seed, QuickAccessSample::Notice, ClipboardPanelTab::History, QSize(350, 240)); }},
    };
    return views;
}
