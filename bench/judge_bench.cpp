// Judging a thread of 5 pages of 50 KB, as a forum sends them, beside its
// fetch: its visible text taken out as the pages arrive, compared with the
// text kept at the last check, and the new text kept (compressed). Also the
// size of one thread's kept text, for the data folder of 1,000 threads.
#include "threads/page_text.h"
#include "watch/reply_judge.h"
#include "watch/thread_text_store.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

namespace {

constexpr int kPages = 5;
constexpr int kPerPage = 10;
constexpr qsizetype kPageBytes = 50 * 1024;

// Words drawn from a vocabulary of 4,000, about as compressible as a forum's prose.
QByteArray words(QRandomGenerator &random, int count)
{
    static const QList<QByteArray> vocabulary = [] {
        QRandomGenerator letters(7);
        QList<QByteArray> list;
        for (int i = 0; i < 4000; ++i) {
            QByteArray word;
            for (int k = 2 + letters.bounded(8); k > 0; --k)
                word += static_cast<char>('a' + letters.bounded(26));
            list.append(word);
        }
        return list;
    }();
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += vocabulary[random.bounded(static_cast<int>(vocabulary.size()))] + ' ';
    return text;
}

// Page n of a thread: posts with author, marks, times, text and buttons in
// the heavy markup of forum software, padded to 50 KB by its frame.
QByteArray page(int n, int posts, bool online, quint32 seed)
{
    QRandomGenerator random(seed + static_cast<quint32>(n));
    QByteArray html = "<!DOCTYPE html><html><head><title>Thread</title><script>var token='"
        + QByteArray::number(random.generate())
        + "';</script></head><body><div class=\"nav\">Forum &raquo; Help</div>\n";
    for (int i = (n - 1) * kPerPage; i < std::min(n * kPerPage, posts); ++i) {
        html += "<div class=\"post\" id=\"p" + QByteArray::number(i)
            + "\"><div class=\"userinfo\"><a class=\"username\" href=\"/members/user" + QByteArray::number(i % 13)
            + "\">user" + QByteArray::number(i % 13) + "</a><span class=\"status\">" + (online ? "online" : "offline")
            + "</span><div class=\"avatar\"><img src=\"/a/" + QByteArray::number(i % 13)
            + ".png\" alt=\"avatar\" width=\"80\" height=\"80\"></div><dl><dt>Posts</dt><dd>"
            + QByteArray::number(100 + i) + "</dd><dt>Joined</dt><dd>March 2019</dd></dl></div>\n<div class=\"when\">"
            + QByteArray::number(i + 3) + " hours ago</div><div class=\"content\"><p>" + words(random, 90) + "</p><p>"
            + words(random, 40) + "</p></div><div class=\"signature\">" + words(random, 8)
            + "</div>\n<ul class=\"buttons\"><li><a href=\"/quote/" + QByteArray::number(i)
            + "\">Quote</a></li><li><a href=\"/report/" + QByteArray::number(i) + "\">Report</a></li></ul></div>\n";
        html += "<div class=\"spacer\" style=\"" + QByteArray(2600, ' ') + "\"></div>\n";
    }
    html += "<div class=\"foot\">Powered by a forum</div></body></html>\n";
    if (html.size() < kPageBytes)
        html.insert(html.indexOf("</head>"), "<style>" + QByteArray(kPageBytes - html.size() - 15, ' ') + "</style>");
    return html;
}

ThreadText extract(const QList<QByteArray> &pages)
{
    ThreadText text;
    PageText extractor;
    for (int n = 0; n < pages.size(); ++n) {
        // As a socket hands them over: 16 KB at a time.
        for (qsizetype at = 0; at < pages[n].size(); at += 16384)
            extractor.feed(pages[n].constData() + at, std::min<qsizetype>(16384, pages[n].size() - at));
        text.append({ QStringLiteral("page%1").arg(n + 1), extractor.take() });
    }
    return text;
}

QList<QByteArray> thread(int posts, bool online, quint32 seed = 1)
{
    QList<QByteArray> pages;
    for (int n = 1; n <= kPages; ++n)
        pages.append(page(n, posts, online, seed));
    return pages;
}

// The pages arrive with one reply more and every online mark flipped; the
// text kept at the last check is judged against them, and kept anew.
void BM_JudgeThread(benchmark::State &state)
{
    const ThreadText kept = extract(thread(kPages * kPerPage - 1, false));
    const QList<QByteArray> now = thread(kPages * kPerPage, true);
    qint64 bytes = 0;
    for (const QByteArray &p : now)
        bytes += p.size();
    for (auto _ : state) {
        const ThreadText text = extract(now);
        const ReplyVerdict verdict = ReplyJudge::compare(kept, text);
        if (!verdict.news)
            state.SkipWithError("the reply was not found");
        benchmark::DoNotOptimize(ThreadTextStore::fileBytes(QStringLiteral("http://forum/t/5"), text));
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_JudgeThread)->Unit(benchmark::kMillisecond);

// What one thread keeps in the data folder.
void BM_KeptTextSize(benchmark::State &state)
{
    qint64 fileBytes = 0;
    qint64 textBytes = 0;
    for (auto _ : state) {
        const ThreadText text = extract(thread(kPages * kPerPage, false, static_cast<quint32>(state.iterations())));
        fileBytes = ThreadTextStore::fileBytes(QStringLiteral("http://forum/t/5"), text).size();
        textBytes = 0;
        for (const ThreadPageText &p : text)
            textBytes += p.lines.size();
    }
    state.counters["text_bytes"] = static_cast<double>(textBytes);
    state.counters["file_bytes"] = static_cast<double>(fileBytes);
    state.counters["MB_for_1000_threads"] = static_cast<double>(fileBytes) * 1000 / (1024 * 1024);
}
BENCHMARK(BM_KeptTextSize)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
