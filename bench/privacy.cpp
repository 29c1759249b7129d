// How long the privacy check takes on one large copied text; the capture road runs it on the
// main thread for every copy, so a megabyte of text must stay well under 20 ms.
#include "core/ClipboardPrivacy.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

constexpr qsizetype oneMegabyte = 1024 * 1024;

// Fills about one megabyte of UTF-8 with the given line repeated, then appends the tail.
QString megabyteOf(const QString &line, const QString &tail = {})
{
    const qsizetype lineBytes = line.toUtf8().size();
    QString text;
    text.reserve(line.size() * (oneMegabyte / lineBytes + 1) + tail.size());
    for (qsizetype bytes = 0; bytes < oneMegabyte; bytes += lineBytes)
        text += line;
    return text + tail;
}

void runCheck(benchmark::State &state, const QString &text, bool expected)
{
    for (auto _ : state) {
        const bool sensitive = ClipboardPrivacy::looksSensitive(text);
        if (sensitive != expected)
            state.SkipWithError("unexpected answer");
        benchmark::DoNotOptimize(sensitive);
    }
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
}

void BM_OrdinaryProse(benchmark::State &state)
{
    // Nothing matches, so every pattern scans the whole text: the common worst case.
    runCheck(state, megabyteOf(QStringLiteral("Obyčajný text o heslách, kódoch a kartách 2024-0045, 1 250,00 €.\n")), false);
}

void BM_AsciiProse(benchmark::State &state)
{
    runCheck(state, megabyteOf(QStringLiteral("Plain text about a password reset and a security review.\n")), false);
}

void BM_SecretAtTheEnd(benchmark::State &state)
{
    runCheck(state, megabyteOf(QStringLiteral("Obyčajný text bez tajomstiev.\n"), QStringLiteral("api_key=abc")), true);
}

void BM_DigitsOnly(benchmark::State &state)
{
    // Every line is a run of card length that fails the checksum: each one is summed.
    runCheck(state, megabyteOf(QStringLiteral("4111 1111 1111 1112\n")), false);
}

void BM_CodeNameThenSpaces(benchmark::State &state)
{
    runCheck(state, QStringLiteral("otp") + QString(oneMegabyte, u' ') + QStringLiteral("x"), false);
}

} // namespace

BENCHMARK(BM_OrdinaryProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsciiProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SecretAtTheEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DigitsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodeNameThenSpaces)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
