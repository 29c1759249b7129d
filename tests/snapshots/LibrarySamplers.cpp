#include "snapshots/LibrarySamplers.h"

#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"
#include "ui/library/EntrySectionScreen.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/library/GalleryScreen.h"
#include "ui/library/JarsScreen.h"
#include "ui/library/SnippetsScreen.h"

#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The screens get models of their own, so that choosing a section here changes nothing for the
// other pictures; they live to the end of the run (the views' clock stays fixed meanwhile).
testsupport::SeededModel &modelFor(LibraryContent content)
{
    static auto *seeded = new testsupport::SeededModel();
    static auto *empty = new testsupport::SeededModel({0, 0});
    return content == LibraryContent::Seeded ? *seeded : *empty;
}

class SampleHost : public QWidget {
public:
    testsupport::FakePanelSheets sheets;
    QSize sizeHint() const override { return kLibraryScreenSize; }
    bool hasHeightForWidth() const override { return false; }
};

} // namespace

QWidget *librarySample(ClipboardPanelTab tab, LibraryContent content, bool openJar)
{
    ClipboardModel &model = modelFor(content).model();
    model.setSelectedTab(tab);
    model.setSearchText(QString());
    model.setSelectedEntryID(std::nullopt);
    model.setSelectedJarID(openJar ? std::optional(model.jars().first().id) : std::nullopt);
    if (content == LibraryContent::Empty) {
        model.setJars({});
        model.setSnippets({});
        model.setPasteStackEntryIDs({});
    }
    auto *host = new SampleHost;
    host->setFixedSize(kLibraryScreenSize);
    auto *layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget *screen = nullptr;
    switch (tab) {
    case ClipboardPanelTab::Jars:
        screen = new JarsScreen(model, host->sheets, host);
        break;
    case ClipboardPanelTab::Snippets:
        screen = new SnippetsScreen(model, host->sheets, host);
        break;
    case ClipboardPanelTab::Gallery:
    case ClipboardPanelTab::Screenshots: {
        auto *gallery = new GalleryScreen(model, host->sheets, host);
        // The pictures are decoded off the main thread; the picture waits for them.
        testsupport::waitFor([gallery] {
            const QList<GalleryCard *> cards = gallery->cards();
            return std::all_of(cards.begin(), cards.end(), [](GalleryCard *card) { return card->hasPicture(); });
        });
        screen = gallery;
        break;
    }
    default: {
        auto *section = new EntrySectionScreen(model, host->sheets, tab, host);
        // Row pictures are decoded off the main thread; ask for them now and wait.
        EntryThumbnails *thumbnails = section->list()->thumbnails();
        const QList<ClipboardEntry> listed = section->list()->listModel()->entries();
        for (const ClipboardEntry &entry : listed) {
            if (entry.kind == ClipboardKind::Image)
                thumbnails->thumbnail(entry);
        }
        testsupport::waitFor([thumbnails, listed] {
            return std::none_of(listed.begin(), listed.end(),
                                [thumbnails](const ClipboardEntry &entry) { return thumbnails->isPending(entry.id); });
        });
        screen = section;
        break;
    }
    }
    layout->addWidget(screen);
    return host;
}

QWidget *libraryUnfoldedRowSample()
{
    auto *host = static_cast<SampleHost *>(librarySample(ClipboardPanelTab::History, LibraryContent::Seeded));
    testsupport::SeededModel &seeded = modelFor(LibraryContent::Seeded);
    // An image row: its strip also offers text reading.
    const ClipboardEntry image = seeded.first(ClipboardKind::Image);
    host->sheets.expanded = image.id;
    seeded.model().setSelectedEntry(image);
    return host;
}

QWidget *libraryUnfoldedTextSample()
{
    auto *host = static_cast<SampleHost *>(librarySample(ClipboardPanelTab::History, LibraryContent::Seeded));
    auto *list = host->findChild<EntryList *>();
    const QList<ClipboardEntry> listed = list->listModel()->entries();
    const auto longText = std::find_if(listed.begin(), listed.end(), [](const ClipboardEntry &entry) {
        return ClipboardRow::canExpand(entry);
    });
    if (longText == listed.end())
        return host;
    // Unfolded as "Viac" does it, with part of the text selected as a drag of the pointer leaves it.
    list->trigger(longText->id, EntryRowDelegate::Control::ExpandText);
    QCoreApplication::processEvents();
    list->view()->scrollTo(list->listModel()->index(list->listModel()->rowOf(longText->id)), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    if (ClipboardRow *row = list->rowWidget(longText->id)) {
        if (auto *label = row->findChild<QLabel *>())
            label->setSelection(0, int(std::min<qsizetype>(24, label->text().size())));
    }
    return host;
}
