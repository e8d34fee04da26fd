// The program's own page fetcher, for comparison with curl on the same
// loopback server:
//   bench_fetch single URL        one page, measured as Watch This Post does
//                                 (its links scanned); prints seconds, bytes, RSS growth
//   bench_fetch check LISTFILE    a reply check run over the listed addresses,
//                                 each measured over all its thread's pages and
//                                 judged against the text a first, untimed run kept;
//                                 with the longest the event loop went between
//                                 two ticks of a 5 ms timer during both runs,
//                                 as a window would feel it
#include "net/page_fetch.h"
#include "threads/thread_measurement.h"
#include "watch/reply_check.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {
qint64 cpuNs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

long statusKb(const char *field)
{
    QFile f("/proc/self/status");
    f.open(QIODevice::ReadOnly);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    return -1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString mode = argv[1];
    PageFetch fetch;
    QElapsedTimer timer;
    if (mode == "single") {
        const long rssBefore = statusKb("VmRSS:");
        ThreadMeasurement measure(fetch);
        QSignalSpy done(&measure, &ThreadMeasurement::finished);
        qint64 bytes = -1;
        QObject::connect(&measure, &ThreadMeasurement::finished, [&](const ThreadSize &size) { bytes = size.bytes; });
        timer.start();
        measure.start(QString::fromLocal8Bit(argv[2]));
        if (!done.wait(600000))
            return 1;
        printf("seconds %.3f bytes %lld rss_growth_kb %ld\n", timer.nsecsElapsed() / 1e9, bytes,
            statusKb("VmHWM:") - rssBefore);
        return 0;
    }
    QFile list(QString::fromLocal8Bit(argv[2]));
    list.open(QIODevice::ReadOnly);
    WatchedPostsModel posts;
    for (const QByteArray &line : list.readAll().split('\n'))
        if (!line.isEmpty())
            posts.add(QString::fromUtf8(line));
    ThreadTextStore texts;
    ReplyCheckRun run(posts, texts, fetch);
    QSignalSpy done(&run, &ReplyCheckRun::finished);
    // A tick every few milliseconds: the longest gap between two is the
    // longest a click could have waited.
    constexpr int kTickMs = 5;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    qint64 longestGapNs = 0;
    qint64 longestWorkNs = 0; // the process's own work in it
    qint64 cpuAtTick = cpuNs();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 gap = sinceTick.nsecsElapsed();
        const qint64 cpu = cpuNs();
        if (gap > longestGapNs) {
            longestGapNs = gap;
            longestWorkNs = cpu - cpuAtTick;
        }
        cpuAtTick = cpu;
        sinceTick.start();
    });
    sinceTick.start();
    ticker.start(kTickMs);
    // The first run records every thread; the second is a check as users run it.
    for (int i = 0; i < 2; ++i) {
        timer.start();
        run.start();
        if (done.size() <= i && !done.wait(600000))
            return 1;
    }
    int pages = 0;
    for (const CheckedPost &p : run.checkedPosts())
        pages += p.size.pages;
    printf("seconds %.3f posts %d pages %d new %d failed %d own_work_ms %.1f longest_gap_ms %.1f\n",
        timer.nsecsElapsed() / 1e9, posts.count(), pages, run.newReplyCount(), static_cast<int>(run.failures().size()),
        longestWorkNs / 1e6, longestGapNs / 1e6);
    return 0;
}
