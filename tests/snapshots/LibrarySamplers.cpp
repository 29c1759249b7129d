#include "snapshots/LibrarySamplers.h"

#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "ui/library/EntrySectionScreen.h"

#include <QVBoxLayout>

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

QWidget *librarySample(ClipboardPanelTab tab, LibraryContent content)
{
    ClipboardModel &model = modelFor(content).model();
    model.setSelectedTab(tab);
    model.setSearchText(QString());
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
    default:
        screen = new EntrySectionScreen(model, host->sheets, tab, {}, host);
        break;
    }
    layout->addWidget(screen);
    return host;
}
