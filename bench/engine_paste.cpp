#include "BenchMain.h"
#include "core/EntrySelection.h"
#include "core/TypedTrigger.h"
#include "engine/ClipboardModel.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "support/ModelServices.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace {

constexpr int kEntryCount = 500;
constexpr qsizetype kTextBytes = 10 * 1024;

// A model over 500 entries of 10 KB text: every 7th pinned, every 11th an image, a tenth of
// them queued in the Paste Stack, a tenth used up and a fifth spread over four Jars.
struct Fixture {
    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakeKeySender keys;
    QTemporaryDir folder;
    std::unique_ptr<ClipboardModel> model;

    Fixture()
    {
        model = std::make_unique<ClipboardModel>(
            testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));

        QString text;
        while (text.toUtf8().size() < kTextBytes)
            text += QStringLiteral("Žltý kôň úpel ďábelské ódy, line of copied text. ");
        QList<ClipboardEntry> entries;
        QStringList stack;
        QSet<QString> consumed;
        for (int i = 0; i < kEntryCount; ++i) {
            ClipboardEntry entry;
            entry.id = ClipboardEntry::newID();
            entry.text = text + QString::number(i);
            entry.kind = i % 11 == 0 ? ClipboardKind::Image : ClipboardKind::Text;
            entry.isPinned = i % 7 == 0;
            entry.copiedAt = QDateTime::currentDateTimeUtc();
            entries.append(entry);
            if (i % 10 == 3)
                stack.append(entry.id);
            if (i % 10 == 5)
                consumed.insert(entry.id);
        }
        QList<ClipboardJar> jars;
        for (int j = 0; j < 4; ++j) {
            ClipboardJar jar{QString::number(j), QStringLiteral("Jar %1").arg(j), {}};
            for (int i = j; i < kEntryCount; i += 20)
                jar.entryIDs.append(entries.at(i).id);
            jars.append(jar);
        }
        model->setEntries(entries);
        model->setPasteStackEntryIDs(stack);
        model->setConsumedEntryIDs(consumed);
        model->setJars(jars);
        model->setSelectedJarID(QStringLiteral("0"));
    }
};

Fixture &fixture()
{
    static Fixture value;
    return value;
}

// Everything one render of the sections and their clear buttons reads from the model.
void derivedListsOver500TenKilobyteEntries(benchmark::State &state)
{
    ClipboardModel &model = *fixture().model;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.clipboardEntries());
        benchmark::DoNotOptimize(model.clearableClipboardEntries());
        benchmark::DoNotOptimize(model.clearableHistoryEntries());
        benchmark::DoNotOptimize(model.pasteStackEntries());
        benchmark::DoNotOptimize(model.selectedJarEntries());
        benchmark::DoNotOptimize(model.filteredJars());
    }
}
BENCHMARK(derivedListsOver500TenKilobyteEntries)->Unit(benchmark::kMicrosecond);

void selectionStepThroughTheClipboardList(benchmark::State &state)
{
    ClipboardModel &model = *fixture().model;
    const QList<ClipboardEntry> list = model.clipboardEntries();
    model.setSelectedEntryID(list.last().id);
    for (auto _ : state)
        model.navigateSelection(list, 1);
}
BENCHMARK(selectionStepThroughTheClipboardList)->Unit(benchmark::kMicrosecond);

// The model's side of one paste: look-up, clipboard write, trust check, Ctrl+V queued.
void pasteEntryIntoFakes(benchmark::State &state)
{
    Fixture &f = fixture();
    const ClipboardEntry entry = f.model->entries().at(1);
    for (auto _ : state) {
        f.model->pasteEntryFromPanel(entry, false, std::nullopt, false);
        f.keys.clear();
    }
}
BENCHMARK(pasteEntryIntoFakes)->Unit(benchmark::kMicrosecond);

// One key typed in another application against 50 snippets whose triggers carry accents: the
// rolling buffer stays full and no trigger matches, so every snippet is tested.
void typedKeyAgainstFiftySnippets(benchmark::State &state)
{
    QList<ClipboardSnippet> snippets;
    for (int i = 0; i < 50; ++i)
        snippets.append({QString::number(i), QStringLiteral("Úryvok"), QStringLiteral(";čau%1ô").arg(i), "text"});
    QString buffer = QStringLiteral("ďábelské");
    const QStringList keys{"ž", "l", "t", "ý"};
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TypedTrigger::handleKey(buffer, Qt::Key_A, keys.at(next), {}, false, snippets));
        next = (next + 1) % keys.size();
    }
}
BENCHMARK(typedKeyAgainstFiftySnippets)->Unit(benchmark::kMicrosecond);

bool pumpUntil(const std::function<bool()> &condition, qint64 limitMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(200);
    }
    return true;
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// From the paste call until the text stands in the fixture window: clipboard write, Ctrl+V
// through XTest, the window asking Tarnel for the clipboard and inserting it. Needs an X display
// with a window manager and TARNEL_FIXTURE (run it through tests/support/with-x11.sh).
void pasteIntoFixtureWindowEndToEnd(benchmark::State &state)
{
    X11Workspace workspace;
    X11KeySender keys(&workspace);
    X11Pasteboard pasteboard;
    X11Permissions permissions(nullptr);
    FakeSettingsStore settings;
    QTemporaryDir folder;
    ClipboardModel model(testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));

    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.text = QStringLiteral("Žltý kôň z Tarnelu. ");
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    model.setEntries({entry});

    const QString out = folder.filePath(QStringLiteral("fixture.txt"));
    QProcess fixture;
    fixture.start(qEnvironmentVariable("TARNEL_FIXTURE"), {"--out", out, "--title", "bench"});
    const bool ready = fixture.waitForStarted() && pumpUntil([&] {
        const auto front = workspace.frontmostApplication();
        return front && front->pid == fixture.processId();
    }, 5000);
    if (!ready || !permissions.accessibilityTrusted()) {
        state.SkipWithError("no fixture window in front, or no XTest");
        return;
    }
    // The first paste also waits for the new window's text field to take the keyboard.
    qsizetype expected = 0;
    for (int attempt = 0; attempt < 20 && expected == 0; ++attempt) {
        model.pasteEntryFromPanel(entry, false, std::nullopt, false);
        if (pumpUntil([&] { return !readFile(out).isEmpty(); }, 300))
            expected = readFile(out).size();
    }
    for (auto _ : state) {
        expected += entry.text.size();
        QElapsedTimer timer;
        timer.start();
        model.pasteEntryFromPanel(entry, false, std::nullopt, false);
        if (!pumpUntil([&] { return readFile(out).size() >= expected; }, 5000)) {
            state.SkipWithError("the paste did not arrive");
            break;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    fixture.kill();
    fixture.waitForFinished();
}

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    const bool endToEnd = !qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsEmpty("TARNEL_FIXTURE");
    if (!endToEnd && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (endToEnd) {
        benchmark::RegisterBenchmark("pasteIntoFixtureWindowEndToEnd", pasteIntoFixtureWindowEndToEnd)
            ->UseManualTime()
            ->Iterations(40)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
