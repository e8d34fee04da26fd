#include "net/page_fetch.h"
#include "support/recorders.h"
#include "support/script_server.h"
#include "watch/check_scheduler.h"
#include "watch/post_watcher.h"
#include "watch/reply_check.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// Watched pages whose sizes, or replies, the test changes between runs.
struct Schedule {
    ScriptServer server;
    QMap<QByteArray, int> sizes;
    QMap<QByteArray, int> replies; // a page of that many replies, each with its author and buttons
    int delayMs = 0;
    WatchedPostsModel posts;
    ThreadTextStore texts;
    PageFetch fetch;
    ReplyCheckRun run { posts, texts, fetch };
    PageFetch sizeChannel;
    RecordingDialogs dialogs;
    PostWatcher watcher { posts, texts, sizeChannel, dialogs };
    RecordingNotifier notifier;
    CheckScheduler scheduler { run, &notifier };
    QSignalSpy runs { &scheduler, &CheckScheduler::runFinished };

    Schedule()
    {
        server.setHandler([this](const QByteArray &path) {
            QByteArray body(sizes.value(path, 100), 'r');
            if (replies.contains(path)) {
                body = "<h1>A thread</h1>\n";
                for (int i = 1; i <= replies.value(path); ++i)
                    body += "<div><b>user" + QByteArray::number(i) + "</b><p>Reply number " + QByteArray::number(i)
                        + "</p><span>Quote</span></div>\n";
            }
            ScriptServer::Script s = ScriptServer::response(body);
            s.pieces.first().delayMs = delayMs;
            return s;
        });
    }
    QString url(const char *path) const { return server.base() + QLatin1String(path); }
    // Waits for more scheduled runs to end.
    bool waitForRuns(int more)
    {
        const qsizetype target = runs.size() + more;
        while (runs.size() < target)
            if (!runs.wait(10000))
                return false;
        return true;
    }
};

} // namespace

TEST(CheckScheduler, ARunThatFindsNewsNotifiesOnce)
{
    Schedule s;
    s.replies = { { "/grown", 3 }, { "/same", 3 } };
    s.posts.add(s.url("/grown"));
    s.posts.add(s.url("/same"));
    s.posts.add(QStringLiteral("http://127.0.0.1:%1/dead").arg(closedLoopbackPort()), "1000");
    s.scheduler.setInterval(20ms);
    ASSERT_TRUE(s.waitForRuns(1));
    EXPECT_TRUE(s.notifier.notes.isEmpty()) << "a first measure is no news, nor a post that could not be checked";
    EXPECT_EQ(s.run.failures().size(), 1) << "the dead post was tried";
    s.replies["/grown"] = 4;
    ASSERT_TRUE(s.waitForRuns(3));
    ASSERT_EQ(s.notifier.notes.size(), 1) << "a post still listed is no news the second time";
    EXPECT_EQ(s.notifier.notes[0].title, "Postmaven");
    EXPECT_EQ(s.notifier.notes[0].text, "1 new replies found\n" + s.url("/grown") + "\n    user4 \u00b7 Reply number 4")
        << "the address, and under it the start of the text added";
    EXPECT_EQ(s.notifier.notes[0].count, 1);
    EXPECT_EQ(s.run.newReplies(), QStringList({ s.url("/grown") })) << "the window's list shows the result";

    // Seen and watched again: no longer listed. Should it grow again, that is news again.
    s.watcher.watch(s.url("/grown"));
    QTRY_VERIFY_WITH_TIMEOUT(!s.watcher.isMeasuring(), 5000);
    ASSERT_TRUE(s.waitForRuns(2));
    EXPECT_EQ(s.notifier.notes.size(), 1);
    s.replies["/grown"] = 5;
    ASSERT_TRUE(s.waitForRuns(2));
    EXPECT_EQ(s.notifier.notes.size(), 2);
}

TEST(CheckScheduler, NeverStartsWhileARunIsBusyAndTellsNothingOfARunByHand)
{
    Schedule s;
    s.sizes = { { "/slow", 5000 } };
    s.delayMs = 300;
    s.posts.add(s.url("/slow"), "1000");
    QSignalSpy started(&s.run, &ReplyCheckRun::started);
    int startedWhenFinished = -1;
    QObject::connect(&s.run, &ReplyCheckRun::finished, [&] {
        if (startedWhenFinished < 0)
            startedWhenFinished = static_cast<int>(started.size());
    });
    s.run.start(); // by hand
    s.scheduler.setInterval(10ms);
    QTRY_VERIFY_WITH_TIMEOUT(startedWhenFinished >= 0, 10000);
    EXPECT_EQ(startedWhenFinished, 1) << "the busy run was never restarted";
    EXPECT_TRUE(s.notifier.notes.isEmpty()) << "the user saw the result of the run they started";

    ASSERT_TRUE(s.waitForRuns(1));
    EXPECT_EQ(s.notifier.notes.size(), 1) << "the first scheduled run tells it";
}

TEST(CheckScheduler, OffUnlessTheStoredChoiceIsOneOfTheMenus)
{
    Schedule s;
    EXPECT_FALSE(s.scheduler.isActive()) << "off by default";
    const QList<QPair<const char *, int>> stored = { { "15", 15 }, { "60", 60 }, { "360", 360 }, { "0", 0 }, { "7", 0 },
        { "-15", 0 }, { "hourly", 0 }, { "", 0 } };
    for (const auto &[text, minutes] : stored)
        EXPECT_EQ(CheckScheduler::minutesFromSetting(QLatin1String(text)), minutes) << text;
    s.scheduler.setIntervalMinutes(60);
    EXPECT_TRUE(s.scheduler.isActive());
    EXPECT_EQ(s.scheduler.interval(), 60min);
    s.scheduler.setIntervalMinutes(0);
    EXPECT_FALSE(s.scheduler.isActive());
}
