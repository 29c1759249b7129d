#include "snapshots/PanelSamplers.h"

#include "platform/fake/FakeSettingsStore.h"
#include "shell/ClipboardModelPanelLink.h"
#include "support/FakePanelController.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"
#include "ui/library/GalleryCard.h"
#include "ui/library/GalleryScreen.h"
#include "ui/panel/ClipboardPanelView.h"
#include "ui/panel/EntryThumbnails.h"


namespace {

// One model of its own, so that the sections chosen here change nothing for other pictures.
testsupport::SeededModel &panelModel()
{
    static auto *seeded = new testsupport::SeededModel();
    return *seeded;
}

FakeSettingsStore &panelSettings()
{
    static auto *settings = new FakeSettingsStore;
    return *settings;
}

// Row and card pictures are decoded off the main thread: the picture waits for them.
void waitForPictures(QWidget *root)
{
    QCoreApplication::processEvents();
    for (EntryList *list : root->findChildren<EntryList *>()) {
        EntryThumbnails *thumbnails = list->thumbnails();
        const QList<ClipboardEntry> listed = list->listModel()->entries();
        for (const ClipboardEntry &entry : listed) {
            if (entry.kind == ClipboardKind::Image)
                thumbnails->thumbnail(entry);
        }
        testsupport::waitFor([thumbnails, listed] {
            return std::none_of(listed.begin(), listed.end(),
                                [thumbnails](const ClipboardEntry &entry) { return thumbnails->isPending(entry.id); });
        });
    }
    for (GalleryScreen *gallery : root->findChildren<GalleryScreen *>()) {
        testsupport::waitFor([gallery] {
            const QList<GalleryCard *> cards = gallery->cards();
            return std::all_of(cards.begin(), cards.end(), [](GalleryCard *card) { return card->hasPicture(); });
        });
    }
    // Cards take their heights from their pictures: the grid settles once more after them.
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
}

} // namespace

QWidget *panelSample(PanelLook look, ClipboardPanelTab tab, bool keysAllowed)
{
    ClipboardModel &model = panelModel().model();
    model.setSelectedTab(tab);
    model.setSearchText(QString());
    model.setSelectedJarID(std::nullopt);
    model.setSelectedEntryID(std::nullopt);
    model.dismissScreenshotNotice();
    // Key sending and watching work, as they do in an X11 session, unless the picture asks for
    // the Snippets section's permission card.
    model.setPasteMonitoringEnabled(keysAllowed);
    model.setAccessibilityPermissionEnabled(keysAllowed);
    model.setInputMonitoringPermissionEnabled(keysAllowed);
    // The view is the picture itself, so that it is drawn in the picture's scheme; the link and
    // the controller live as long as it does.
    auto *link = new ClipboardModelPanelLink(model, panelSettings());
    auto *controller = new testsupport::FakePanelController;
    controller->contentExpanded = look == PanelLook::Expanded;
    controller->widthExpanded = look == PanelLook::Expanded || look == PanelLook::Wide;
    if (look == PanelLook::Copied) {
        model.showCopiedNotice();
        controller->compact = 160;
    }
    if (look == PanelLook::Screenshot) {
        for (const ClipboardEntry &entry : model.entries()) {
            if (entry.isScreenshot) {
                model.showScreenshotNotice(entry);
                break;
            }
        }
    }
    auto *view = new ClipboardPanelView(*link, &model, *controller, false);
    link->setParent(view);
    controller->setParent(view);
    view->resize(kPanelSize);
    // The details panel is made when the panel first shows open.
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->show();
    waitForPictures(view);
    return view;
}
