// The notch panel as the user meets it: from the pointer's arrival (the controller expanding the
// panel) to the open panel painted with the library over 500 entries, 100 of them images; and
// one keystroke in the details search field over 500 entries of 10 KB each, to the list updated
// and painted. Main-thread time; the panel's animations are set to their end so that the frame
// measured is the fully open panel.
#include "BenchMain.h"
#include "platform/fake/FakePanelWindowTraits.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"
#include "support/SeededModel.h"
#include "ui/library/EntryList.h"
#include "ui/library/LibraryView.h"
#include "ui/panel/ClipboardPanelView.h"
#include "ui/panel/DetailsSearchField.h"
#include "ui/style/PanelMotion.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <memory>

namespace {

// The program's controller and panel over a seeded model and fake desktop services.
struct Program {
    explicit Program(testsupport::SeededModel &seed)
        : link(seed.model(), settings)
    {
        workspace.setOwnPid(4242);
        PanelServices services{settings, workspace, permissions, traits, [] { return QPoint(960, 8); },
                               [] { return false; }, nullptr, nullptr, nullptr, {}};
        services.clipboardModel = &seed.model();
        controller = std::make_unique<NotchPanelController>(link, services);
        controller->show();
        QCoreApplication::processEvents();
    }
    ClipboardPanelView *view() const
    {
        return controller->panel()->findChild<ClipboardPanelView *>();
    }
    // The controller's hover expansion, then the queued reactions and the panel's first frame.
    void expandAndPaint()
    {
        controller->toggleExpanded();
        QCoreApplication::processEvents();
        controller->panel()->repaint();
    }
    void collapse()
    {
        controller->toggleExpanded();
        QCoreApplication::processEvents();
    }

    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakePanelWindowTraits traits;
    ClipboardModelPanelLink link;
    std::unique_ptr<NotchPanelController> controller;
};

testsupport::SeededModel &historySeed()
{
    static auto *seed = new testsupport::SeededModel({500, 100});
    return *seed;
}

void hoverToOpenPanelPainted(benchmark::State &state)
{
    historySeed().model().setSelectedTab(ClipboardPanelTab::History);
    Program program(historySeed());
    for (auto _ : state) {
        program.expandAndPaint();
        state.PauseTiming();
        DetailsPanel *details = program.view()->detailsPanel();
        if (!details || !details->isVisible()) {
            state.SkipWithError("the details panel did not open");
            break;
        }
        program.collapse();
        state.ResumeTiming();
    }
    state.SetLabel("500 entries, 100 images, History section");
}
BENCHMARK(hoverToOpenPanelPainted)->Unit(benchmark::kMillisecond);

// The first hover after start: the details panel has never been laid out or painted.
void firstHoverAfterStart(benchmark::State &state)
{
    historySeed().model().setSelectedTab(ClipboardPanelTab::History);
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<Program>(historySeed());
        state.ResumeTiming();
        program->expandAndPaint();
        state.PauseTiming();
        program.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel("500 entries, 100 images, History section");
}
BENCHMARK(firstHoverAfterStart)->Unit(benchmark::kMillisecond)->Iterations(10);

testsupport::SeededModel &longTextSeed()
{
    static auto *seed = [] {
        auto *made = new testsupport::SeededModel({0, 0});
        QList<ClipboardEntry> entries;
        for (int i = 0; i < 500; ++i) {
            ClipboardEntry entry;
            entry.id = ClipboardEntry::newID();
            entry.kind = ClipboardKind::Text;
            entry.sourceApp = QStringLiteral("Editor");
            entry.copiedAt = testsupport::SeededModel::fixedNow().addSecs(-60 * i);
            QString text = QStringLiteral("Záznam %1: ").arg(i);
            while (text.size() < 10 * 1024)
                text += QStringLiteral("lorem ipsum dolor sit amet, consectetur adipiscing elit %1 ").arg(i);
            entry.text = text;
            entries.append(entry);
        }
        made->model().setEntries(entries);
        return made;
    }();
    return *seed;
}

// A keystroke that no entry matches: the whole history is searched, the list empties and the
// panel repaints; the next keystroke removes it again and the full list comes back.
void searchKeystroke(benchmark::State &state)
{
    longTextSeed().model().setSelectedTab(ClipboardPanelTab::History);
    longTextSeed().model().setSearchText(QStringLiteral("lorem ipsu"));
    Program program(longTextSeed());
    program.expandAndPaint();
    QLineEdit *field = program.view()->detailsPanel()->searchField()->field();
    field->setFocus();
    bool typed = false;
    for (auto _ : state) {
        if (typed)
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClick(field, Qt::Key_Z);
        typed = !typed;
        QCoreApplication::processEvents();
        program.controller->panel()->repaint();
    }
    state.SetLabel("500 entries of 10 KB, a term that matches nothing and back");
}
BENCHMARK(searchKeystroke)->Unit(benchmark::kMillisecond);

// The model's part of a keystroke: the filtered list alone.
void searchFilterOnly(benchmark::State &state)
{
    ClipboardModel &model = longTextSeed().model();
    model.setSelectedTab(ClipboardPanelTab::History);
    bool typed = false;
    for (auto _ : state) {
        model.setSearchText(typed ? QStringLiteral("lorem ipsu") : QStringLiteral("lorem ipsuz"));
        typed = !typed;
        benchmark::DoNotOptimize(model.quickAccessEntries());
    }
    model.setSearchText(QString());
}
BENCHMARK(searchFilterOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PanelMotion::setFactor(0);
    benchmark::Initialize(&argc, argv);
    historySeed();
    longTextSeed();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
