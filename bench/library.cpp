// The library's section screens over 500 entries, 100 of them images: opening the History
// section to its first painted frame, one scroll step to the next painted frame, and opening the
// gallery of 100 images (main-thread time; pictures are decoded on worker threads). Also one
// copy while the History section is open, at 100 and at 5,000 entries.
#include "BenchMain.h"
#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntrySectionScreen.h"
#include "ui/library/GalleryScreen.h"
#include "ui/style/PanelStyle.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>

#include <memory>

namespace {

constexpr QSize kScreenSize{420, 380};

testsupport::SeededModel &seed()
{
    static auto *model = new testsupport::SeededModel({500, 100});
    return *model;
}

template <typename Screen>
std::unique_ptr<Screen> open(ClipboardPanelTab tab, testsupport::FakePanelSheets &sheets)
{
    ClipboardModel &model = seed().model();
    model.setSelectedTab(tab);
    std::unique_ptr<Screen> screen;
    if constexpr (std::is_same_v<Screen, EntrySectionScreen>)
        screen = std::make_unique<Screen>(model, sheets, tab, nullptr);
    else
        screen = std::make_unique<Screen>(model, sheets, nullptr);
    PanelStyle::applyScheme(screen.get(), PanelStyle::Scheme::Dark);
    screen->setAttribute(Qt::WA_DontShowOnScreen);
    screen->resize(kScreenSize);
    screen->show();
    screen->repaint();
    return screen;
}

void openHistoryToFirstFrame(benchmark::State &state)
{
    testsupport::FakePanelSheets sheets;
    for (auto _ : state) {
        auto screen = open<EntrySectionScreen>(ClipboardPanelTab::History, sheets);
        state.PauseTiming();
        screen.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["entries"] = double(seed().entries().size());
}
BENCHMARK(openHistoryToFirstFrame)->Unit(benchmark::kMillisecond);

void scrollHistoryOneStep(benchmark::State &state)
{
    testsupport::FakePanelSheets sheets;
    auto screen = open<EntrySectionScreen>(ClipboardPanelTab::History, sheets);
    QListView *view = screen->list()->view();
    QScrollBar *bar = view->verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(bar->value() + 60 > bar->maximum() ? 0 : bar->value() + 60);
        view->viewport()->repaint();
    }
    state.counters["maximum"] = bar->maximum();
}
BENCHMARK(scrollHistoryOneStep)->Unit(benchmark::kMicrosecond);

// One copy at the history limit while the History section is open and scrolled a little: from
// the poll step that takes it to the next painted frame, with the list's queued refresh run.
// The list inserts the new row and drops the one the limit takes, so the cost should not grow
// with the history.
void copyWhileHistoryOpen(benchmark::State &state)
{
    const int entries = int(state.range(0));
    testsupport::SeededModel seeded({entries, entries / 5});
    ClipboardModel &model = seeded.model();
    model.setHistoryLimit(entries);
    model.setSelectedTab(ClipboardPanelTab::History);
    testsupport::FakePanelSheets sheets;
    EntrySectionScreen screen(model, sheets, ClipboardPanelTab::History, nullptr);
    PanelStyle::applyScheme(&screen, PanelStyle::Scheme::Dark);
    screen.setAttribute(Qt::WA_DontShowOnScreen);
    screen.resize(kScreenSize);
    screen.show();
    QCoreApplication::processEvents();
    QListView *view = screen.list()->view();
    view->verticalScrollBar()->setValue(120);
    view->viewport()->repaint();
    qint64 n = 0;
    double modelMs = 0;
    double listMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        seeded.pasteboard().copyText(QStringLiteral("copied while the list is open %1").arg(++n));
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        model.readClipboardIfChanged();
        modelMs += double(clock.nsecsElapsed()) / 1e6;
        clock.start();
        QCoreApplication::processEvents();
        listMs += double(clock.nsecsElapsed()) / 1e6;
        view->viewport()->repaint();
    }
    // The model's own step, and the list's queued refresh (rows, layout).
    state.counters["model_ms"] = modelMs / double(state.iterations());
    state.counters["list_refresh_ms"] = listMs / double(state.iterations());
    state.counters["rows"] = view->model()->rowCount();
    state.counters["scroll"] = view->verticalScrollBar()->value();
}
BENCHMARK(copyWhileHistoryOpen)->ArgName("entries")->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(100);

void openGalleryOfImages(benchmark::State &state)
{
    testsupport::FakePanelSheets sheets;
    int cards = 0;
    for (auto _ : state) {
        auto screen = open<GalleryScreen>(ClipboardPanelTab::Gallery, sheets);
        state.PauseTiming();
        cards = int(screen->cards().size());
        screen.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["cards"] = cards;
}
BENCHMARK(openGalleryOfImages)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    seed();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
