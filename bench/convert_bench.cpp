// Link conversion throughput: a message with a web address every 100
// characters and an e-mail address every 500, at 1 MB and 8 MB.
#include "messages/link_converter.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

QString makeMessage(qsizetype size)
{
    QString text;
    text.reserve(size + 200);
    int n = 0;
    while (text.size() < size) {
        ++n;
        // 100 characters per block; every fifth block holds an e-mail address.
        QString block = QStringLiteral("Read more at http://www.example.com/forum/topic%1 today ")
                            .arg(n % 100000, 5, 10, QLatin1Char('0'));
        if (n % 5 == 0)
            block += QStringLiteral("or mail me@example.org ");
        while (block.size() < 100)
            block += QLatin1Char('x');
        block.truncate(99);
        block += QLatin1Char(' ');
        text += block;
    }
    text.truncate(size);
    return text;
}

void BM_ConvertLinks(benchmark::State &state)
{
    const QString text = makeMessage(state.range(0));
    for (auto _ : state) {
        QString out = convertLinks(
            text, QStringLiteral("[url="), QStringLiteral("]"), QStringLiteral("[/url]"), QStringLiteral("mailto:"));
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_ConvertLinks)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
