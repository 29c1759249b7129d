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

// Numbers Slovak users copy every day, several of them holding four groups that pass the Luhn
// check: every run of groups is weighed against each card layout and its neighbours.
const QString everydayNumbers = QStringLiteral(
    "IBAN SK31 1200 0000 1987 4263 7541, DE89 3704 0044 0532 0130 00, 1200 0000 1987 4263 7541\n"
    "Tel. +421 905 123 456, Faktúra 2024-0042, 1 250,00 €, 07.12.2026, IČO 36 123 456\n"
    "4111\n1111\n1111\n1111\n");

void BM_EverydayNumbers(benchmark::State &state)
{
    runCheck(state, megabyteOf(everydayNumbers), false);
}

void BM_CardBesideItsExpiryAtTheEnd(benchmark::State &state)
{
    runCheck(state, megabyteOf(everydayNumbers, QStringLiteral("Card 4111 1111 1111 1111 05/28 123")), true);
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
BENCHMARK(BM_EverydayNumbers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardBesideItsExpiryAtTheEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodeNameThenSpaces)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
