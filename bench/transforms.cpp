#include "core/ClipboardTransform.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

constexpr qsizetype kTextBytes = 10 * 1024;

// Repeats a sample until the UTF-8 form reaches 10 KB.
QString tenKilobytesOf(const QString &sample)
{
    QString text;
    while (text.toUtf8().size() < kTextBytes)
        text += sample;
    return text;
}

QString inputFor(ClipboardTransform transform)
{
    switch (transform) {
    case ClipboardTransform::JsonFormat:
    case ClipboardTransform::JsonMinify: {
        QString items;
        while (items.toUtf8().size() < kTextBytes)
            items += QStringLiteral("{\"name\": \"Žltý kôň\", \"id\": 12345, \"tags\": [\"a\", \"b\"], \"ok\": true},\n");
        items.chop(2);
        return QLatin1Char('[') + items + QLatin1Char(']');
    }
    case ClipboardTransform::UrlDecode:
        return tenKilobytesOf(QStringLiteral("https%3A%2F%2Fexample.org%2Fa%20b%3Fq%3D%C5%BElt%C3%BD%26x%3D1 "));
    case ClipboardTransform::HtmlPlain:
        return tenKilobytesOf(QStringLiteral("<p class=\"x\">Tom &amp; Jerry</p>\n<div>Žltý&nbsp;kôň &lt;b&gt;</div> "));
    case ClipboardTransform::MarkdownPlain:
        return tenKilobytesOf(QStringLiteral("## Nadpis\n**Tučné** a _šikmé_ [odkaz](https://a.b) ![obr](x.png) `kód`\n\n"));
    default:
        return tenKilobytesOf(QStringLiteral("  Žltý KÔŇ úpel\tďábelské ódy.\r\nSecond line, snake_case   words.\n\n"));
    }
}

void transformTenKilobytes(benchmark::State &state)
{
    const ClipboardTransform transform = ClipboardTransforms::all().at(std::size_t(state.range(0)));
    const QString input = inputFor(transform);
    state.SetLabel(ClipboardTransforms::rawValue(transform).toStdString());
    for (auto _ : state)
        benchmark::DoNotOptimize(ClipboardTransforms::apply(transform, input));
    state.SetBytesProcessed(int64_t(state.iterations()) * input.toUtf8().size());
}

BENCHMARK(transformTenKilobytes)->DenseRange(0, 14)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
