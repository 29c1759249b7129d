#include "core/EntrySelection.h"
#include "engine/ClipboardModel.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

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
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = &settings;
        services.workspace = &workspace;
        services.permissions = &permissions;
        services.keySender = &keys;
        services.imageFolder = folder.filePath(QStringLiteral("Clipboard Images"));
        services.backupFolder = folder.path();
        model = std::make_unique<ClipboardModel>(std::move(services));

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

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
