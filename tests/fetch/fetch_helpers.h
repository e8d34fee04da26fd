#pragma once

#include "net/http_response_counter.h"
#include "net/page_fetch.h"
#include "support/recorders.h"
#include "support/script_server.h"
#include "watch/post_watcher.h"
#include "watch/reply_check.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QStringList>
#include <QTimer>

#include <functional>

// Runs the event loop until done() holds or ms pass; whether it holds.
inline bool runUntil(const std::function<bool()> &done, int ms = 20000)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// What one fetch reported, run to its end.
struct FetchOutcome {
    bool finished = false;
    bool failed = false;
    bool startError = false;
    qint64 bytes = -1;
    int number = 0;
    QString description;
    QList<PageFetch::Step> steps;
    QStringList progress; // as the status bar words it, arrival by arrival
};

inline FetchOutcome runFetch(PageFetch &fetch, const QString &address, int waitMs = 10000)
{
    FetchOutcome out;
    QObject guard;
    QObject::connect(&fetch, &PageFetch::stepChanged, &guard, [&](PageFetch::Step step) { out.steps.append(step); });
    QObject::connect(&fetch, &PageFetch::progress, &guard, [&](qint64 bytes, qint64 contentLength) {
        out.progress.append(
            HttpResponseCounter::progressFor(bytes, contentLength, out.progress.value(out.progress.size() - 1)));
    });
    QSignalSpy finished(&fetch, &PageFetch::finished);
    QSignalSpy failed(&fetch, &PageFetch::failed);
    fetch.start(address);
    runUntil([&] { return !finished.isEmpty() || !failed.isEmpty(); }, waitMs);
    if (!finished.isEmpty()) {
        out.finished = true;
        out.bytes = finished.first().at(0).toLongLong();
    }
    if (!failed.isEmpty()) {
        out.failed = true;
        out.startError = failed.first().at(0).toBool();
        out.number = failed.first().at(1).toInt();
        out.description = failed.first().at(2).toString();
    }
    return out;
}

// Watch This Post and the check run over one list of watched posts, as the
// main window has them, the kept texts in memory.
struct ThreadChecker {
    WatchedPostsModel posts;
    ThreadTextStore texts;
    PageFetch sizeChannel;
    PageFetch checkChannel;
    RecordingDialogs dialogs;
    PostWatcher watcher { posts, texts, sizeChannel, dialogs };
    ReplyCheckRun run { posts, texts, checkChannel };
    QList<QPair<int, int>> progress; // of the last check: done, total
    QPair<int, int> ended { -1, -1 }; // new replies, posts not checked

    ThreadChecker()
    {
        QObject::connect(&run, &ReplyCheckRun::progress, [this](int done, int total) {
            progress.append({ done, total });
        });
        QObject::connect(&run, &ReplyCheckRun::finished, [this](int found, int failed) { ended = { found, failed }; });
    }
    // Watch This Post, until every page of the thread is measured.
    bool watch(const QString &url)
    {
        watcher.watch(url);
        return runUntil([this] { return !watcher.isMeasuring() && watcher.waiting() == 0; });
    }
    // A check run to its end: the posts it lists.
    QStringList check()
    {
        progress.clear();
        run.start();
        if (!runUntil([this] { return !run.isRunning(); }, 60000))
            return { "the run did not finish" };
        return run.newReplies();
    }
};
