// Costs on the capture and persistence roads: classifying a copied text, and reading plus writing
// the stored history at start and after each change.
#include "BenchMain.h"
#include "core/ClipboardEntry.h"
#include "core/ClipboardKind.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

// Prose that passes every rule before the last one, the costliest path for a plain text.
QString prose(qsizetype size)
{
    const QString sentence = QString::fromUtf8("Dnes ráno som skopíroval riadok z dokumentu, aby som ho vložil inam. ");
    QString text;
    text.reserve(size + sentence.size());
    while (text.size() < size)
        text += sentence;
    text.truncate(size);
    return text;
}

// A JSON array, which the classifier parses in full.
QString jsonText(qsizetype size)
{
    QString text = QStringLiteral("[");
    while (text.size() < size)
        text += QStringLiteral("{\"name\": \"položka\", \"value\": 12345, \"ok\": true},");
    text.chop(1);
    text += u']';
    return text;
}

void classify(benchmark::State &state, const QString &text)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(detectKind(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}

void BM_ClassifyProse10KB(benchmark::State &state) { classify(state, prose(10 * 1024)); }
void BM_ClassifyJson10KB(benchmark::State &state) { classify(state, jsonText(10 * 1024)); }
void BM_ClassifyProse1MB(benchmark::State &state) { classify(state, prose(1024 * 1024)); }
void BM_ClassifyJson1MB(benchmark::State &state) { classify(state, jsonText(1024 * 1024)); }

// Stored dates come back in UTC; dates in local time cost a time-zone lookup on every write.
QList<ClipboardEntry> history(int count, Qt::TimeSpec timeSpec = Qt::UTC)
{
    QList<ClipboardEntry> entries;
    const QDateTime start = timeSpec == Qt::UTC ? QDateTime::currentDateTimeUtc() : QDateTime::currentDateTime();
    for (int i = 0; i < count; ++i) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.copiedAt = start.addSecs(-60 * i);
        entry.sourceApp = QStringLiteral("Firefox");
        switch (i % 5) {
        case 0:
            entry.kind = ClipboardKind::Text;
            entry.text = prose(200 + i % 300);
            break;
        case 1:
            entry.kind = ClipboardKind::Url;
            entry.text = QStringLiteral("https://example.com/clanok/%1?zdroj=schranka").arg(i);
            break;
        case 2:
            entry.kind = ClipboardKind::Code;
            entry.text = QStringLiteral("function f%1(a, b) { return a + b; }").arg(i);
            break;
        case 3:
            entry.kind = ClipboardKind::Image;
            entry.imageFilePath = QStringLiteral("/home/jan/.local/share/Tarnel/Clipboard Images/%1.image").arg(entry.id);
            entry.isScreenshot = i % 2;
            break;
        default:
            entry.kind = ClipboardKind::File;
            entry.fileURLs = {QStringLiteral("/home/jan/Dokumenty/zmluva-%1.pdf").arg(i)};
            entry.text = entry.fileURLs.join(u'\n');
            break;
        }
        entry.isPinned = i % 7 == 0;
        entries.append(entry);
    }
    return entries;
}

void BM_History500DecodeAndEncode(benchmark::State &state)
{
    const QByteArray stored = ClipboardEntry::encodeList(history(500));
    for (auto _ : state) {
        const DecodedList<ClipboardEntry> read = ClipboardEntry::decodeList(stored);
        benchmark::DoNotOptimize(ClipboardEntry::encodeList(read.items));
    }
    state.SetBytesProcessed(state.iterations() * stored.size());
}

void BM_History500Decode(benchmark::State &state)
{
    const QByteArray stored = ClipboardEntry::encodeList(history(500));
    for (auto _ : state)
        benchmark::DoNotOptimize(ClipboardEntry::decodeList(stored));
}

void BM_History500Encode(benchmark::State &state)
{
    const QList<ClipboardEntry> entries = history(500);
    for (auto _ : state)
        benchmark::DoNotOptimize(ClipboardEntry::encodeList(entries));
}

void BM_History500EncodeLocalTimes(benchmark::State &state)
{
    const QList<ClipboardEntry> entries = history(500, Qt::LocalTime);
    for (auto _ : state)
        benchmark::DoNotOptimize(ClipboardEntry::encodeList(entries));
}

BENCHMARK(BM_ClassifyProse10KB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClassifyJson10KB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClassifyProse1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassifyJson1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_History500DecodeAndEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_History500Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_History500Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_History500EncodeLocalTimes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
