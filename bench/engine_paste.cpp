#include "core/EntryLists.h"
#include "core/EntrySelection.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <QUuid>

namespace {

constexpr int kEntryCount = 500;
constexpr qsizetype kTextBytes = 10 * 1024;

struct History {
    QList<ClipboardEntry> entries;
    QStringList pasteStack;
    QSet<QString> consumed;
    QList<ClipboardJar> jars;
};

// 500 entries of 10 KB text; every 7th pinned, every 11th an image, a tenth of them queued,
// a tenth consumed and a fifth spread over four Jars.
History makeHistory()
{
    History history;
    QString text;
    while (text.toUtf8().size() < kTextBytes)
        text += QStringLiteral("Žltý kôň úpel ďábelské ódy, line of copied text. ");
    for (int i = 0; i < kEntryCount; ++i) {
        ClipboardEntry entry;
        entry.id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        entry.text = text + QString::number(i);
        entry.kind = i % 11 == 0 ? ClipboardKind::Image : ClipboardKind::Text;
        entry.isPinned = i % 7 == 0;
        history.entries.append(entry);
        if (i % 10 == 3)
            history.pasteStack.append(entry.id);
        if (i % 10 == 5)
            history.consumed.insert(entry.id);
    }
    for (int j = 0; j < 4; ++j) {
        ClipboardJar jar{QString::number(j), QStringLiteral("Jar %1").arg(j), {}};
        for (int i = j; i < kEntryCount; i += 20)
            jar.entryIDs.append(history.entries.at(i).id);
        history.jars.append(jar);
    }
    return history;
}

const History &history()
{
    static const History value = makeHistory();
    return value;
}

// Everything a render of the clipboard section and its clear buttons reads.
void derivedListsOver500TenKilobyteEntries(benchmark::State &state)
{
    const History &h = history();
    for (auto _ : state) {
        benchmark::DoNotOptimize(EntryLists::clipboardEntries(h.entries, h.pasteStack, h.consumed));
        benchmark::DoNotOptimize(EntryLists::clearableClipboardEntries(h.entries, h.pasteStack, h.consumed, h.jars));
        benchmark::DoNotOptimize(EntryLists::clearableHistoryEntries(h.entries, h.pasteStack, h.jars));
        benchmark::DoNotOptimize(EntryLists::entriesWithIDs(h.entries, h.pasteStack));
        benchmark::DoNotOptimize(EntryLists::entriesWithIDs(h.entries, h.jars.first().entryIDs));
    }
}
BENCHMARK(derivedListsOver500TenKilobyteEntries)->Unit(benchmark::kMicrosecond);

void selectionStepThroughTheClipboardList(benchmark::State &state)
{
    const History &h = history();
    const QList<ClipboardEntry> list = EntryLists::clipboardEntries(h.entries, h.pasteStack, h.consumed);
    std::optional<QString> selected = list.last().id;
    for (auto _ : state)
        benchmark::DoNotOptimize(EntrySelection::navigated(list, selected, 1));
}
BENCHMARK(selectionStepThroughTheClipboardList)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
