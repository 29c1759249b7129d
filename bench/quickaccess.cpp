// Quick Access over 500 entries of 10 KB text: from the shortcut to the shown list, and one
// keystroke of the search to the updated list (main-thread time).
#include "BenchMain.h"
#include "engine/ClipboardModel.h"
#include "platform/fake/FakeHotKeyRegistry.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakeKeyTap.h"
#include "platform/fake/FakePanelWindowTraits.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/GlobalPasteMonitor.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"
#include "support/ModelServices.h"
#include "ui/quickaccess/QuickAccessHost.h"
#include "ui/quickaccess/QuickAccessListModel.h"
#include "ui/quickaccess/QuickAccessView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kEntryCount = 500;
constexpr qsizetype kTextBytes = 10 * 1024;

struct Fixture {
    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakeKeySender keys;
    FakeHotKeyRegistry hotKeys;
    FakeKeyTap tap;
    QTemporaryDir folder;
    std::unique_ptr<ClipboardModel> model;
    std::unique_ptr<GlobalPasteMonitor> monitor;
    FakePanelWindowTraits traits;
    std::unique_ptr<ClipboardModelPanelLink> link;
    std::unique_ptr<NotchPanelController> controller;
    QuickAccessView *hostedView = nullptr;
    RunningApplication editor{7, 700, QStringLiteral("Editor")};

    Fixture()
    {
        model = std::make_unique<ClipboardModel>(
            testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));

        QString base;
        while (base.toUtf8().size() < kTextBytes)
            base += QStringLiteral("Žltý kôň úpel ďábelské ódy, line of copied text.\n");
        QList<ClipboardEntry> entries;
        for (int i = 0; i < kEntryCount; ++i) {
            ClipboardEntry entry;
            entry.id = ClipboardEntry::newID();
            entry.text = QStringLiteral("entry %1 ").arg(i) + base;
            entry.kind = ClipboardKind::Text;
            entry.sourceApp = i % 3 ? QStringLiteral("Editor") : QStringLiteral("Mail");
            entry.copiedAt = QDateTime::currentDateTimeUtc().addSecs(-i);
            entries.append(entry);
        }
        model->setEntries(entries);
        workspace.setApplications({editor});
        workspace.setFrontmostApplication(editor);

        monitor = std::make_unique<GlobalPasteMonitor>(
            *model, GlobalPasteMonitorServices{hotKeys, tap, permissions, workspace, nullptr, {}, {}, {}});
        // The program's road: the panel controller over the model, Quick Access hosted in
        // its panel.
        link = std::make_unique<ClipboardModelPanelLink>(*model, settings);
        PanelServices services{settings, workspace, permissions, traits, [] { return QPoint(960, 700); }, {}, nullptr, nullptr, nullptr, {}};
        services.clipboardModel = model.get();
        controller = std::make_unique<NotchPanelController>(*link, services);
        hostedView = new QuickAccessView(*model);
        auto *host = new QuickAccessHost(new QWidget, hostedView);
        QObject::connect(model.get(), &ClipboardModel::isQuickAccessPresentedChanged, host,
                         [host, model = model.get()] { host->setQuickAccessPresented(model->isQuickAccessPresented()); });
        controller->panel()->setContent(host);
        controller->show();
        QObject::connect(monitor.get(), &GlobalPasteMonitor::quickAccessRequested, controller.get(), [this](bool pasteAs) {
            controller->openQuickAccess(pasteAs);
            controller->panel()->repaint();
        });
    }
};

// Built on first use and ended by main while the application still exists: its widgets must
// not outlive QApplication.
std::unique_ptr<Fixture> sharedFixture;

Fixture &fixture()
{
    if (!sharedFixture)
        sharedFixture = std::make_unique<Fixture>();
    return *sharedFixture;
}

void shortcutToQuickAccessShown(benchmark::State &state)
{
    Fixture &f = fixture();
    double shown = 0;
    for (auto _ : state) {
        f.monitor->handleShortcut(AppShortcut::history);
        benchmark::DoNotOptimize(f.hostedView->listModel()->rowCount());
        state.PauseTiming();
        shown += f.hostedView->list()->isVisible() ? 1 : 0;
        f.controller->dismissQuickAccess();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = f.hostedView->listModel()->rowCount();
    state.counters["shownRatio"] = shown / double(state.iterations());
}
BENCHMARK(shortcutToQuickAccessShown)->Unit(benchmark::kMillisecond);

// The first keystroke after the history is in place. The folds of its texts are made off the
// main thread as the history arrives, which is done long before a person opens Quick Access
// and types; later keystrokes reuse them too.
void firstSearchKeystroke(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fresh;
        if (!QTest::qWaitFor([&fresh] { return fresh.model->searchFoldsInWork() == 0; }, 20000))
            state.SkipWithError("the search folds were never made");
        fresh.controller->openQuickAccess(false);
        fresh.model->setSelectedTab(ClipboardPanelTab::History);
        state.ResumeTiming();
        fresh.model->setSearchText(QStringLiteral("e"));
        benchmark::DoNotOptimize(fresh.hostedView->listModel()->rowCount());
    }
}
BENCHMARK(firstSearchKeystroke)->Unit(benchmark::kMillisecond)->Iterations(5);

// One keystroke that completes a search term, from an empty search field; state.range(0)
// picks the term by how many of the 500 entries it matches: one, all, or none.
void searchKeystrokeToUpdatedList(benchmark::State &state)
{
    const struct {
        const char *label;
        QString term;
    } terms[] = {
        {"one match", QStringLiteral("entry 42 ")},
        {"all match", QStringLiteral("line of copied")},
        {"no match", QStringLiteral("zebra crossing")},
    };
    const auto &term = terms[state.range(0)];
    Fixture &f = fixture();
    f.controller->openQuickAccess(false);
    f.model->setSelectedTab(ClipboardPanelTab::History);
    f.model->setSearchText(QStringLiteral("e")); // folds every text once
    for (auto _ : state) {
        state.PauseTiming();
        f.model->setSearchText(QString());
        state.ResumeTiming();
        f.model->setSearchText(term.term);
        benchmark::DoNotOptimize(f.hostedView->listModel()->rowCount());
    }
    state.SetLabel(term.label);
    state.counters["rows"] = f.hostedView->listModel()->rowCount();
    state.counters["visible"] = f.hostedView->isVisible();
}
BENCHMARK(searchKeystrokeToUpdatedList)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    benchmain::drawOffscreenUnlessChosen();
    QApplication app(argc, argv);
    const int result = benchmain::runBenchmarks(argc, argv);
    sharedFixture.reset();
    return result;
}
