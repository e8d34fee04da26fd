#include "net/page_fetch.h"
#include "support/script_server.h"
#include "watch/reply_check.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

// A server whose pages have the size their path names: /size/1501 is 1501 bytes;
// /cut/N closes after half of its N bytes.
struct SizedPages {
    ScriptServer server;
    SizedPages()
    {
        server.setHandler([](const QByteArray &path) {
            ScriptServer::Script s;
            if (path.startsWith("/slow/")) {
                const int n = path.mid(6).toInt();
                s.pieces.append({ "HTTP/1.1 200 OK\r\n\r\n", 0 });
                s.pieces.append({ QByteArray(n, 'b'), 300 });
                return s;
            }
            const int n = path.mid(path.lastIndexOf('/') + 1).toInt();
            if (path.startsWith("/cut/")) {
                // Closed after half the page.
                s.pieces.append({ "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(n) + "\r\n\r\n"
                        + QByteArray(n / 2, 'c'),
                    0 });
                return s;
            }
            return ScriptServer::response(QByteArray(n, 'a'));
        });
    }
    QString url(const QString &path) const { return server.base() + path; }
};

struct CheckBench {
    WatchedPostsModel posts;
    ThreadTextStore texts;
    PageFetch fetch;
    ReplyCheckRun run { posts, texts, fetch };
    QList<QPair<int, int>> progress; // done, total
    QPair<int, int> ended { -1, -1 }; // new replies, posts not checked
    CheckBench()
    {
        fetch.setTimeoutMs(2000);
        QObject::connect(&run, &ReplyCheckRun::progress, [this](int done, int total) {
            progress.append({ done, total });
        });
        QObject::connect(&run, &ReplyCheckRun::finished, [this](int found, int failed) { ended = { found, failed }; });
    }
    void add(const QString &url, const QString &size) { posts.add(url, size); }
    bool waitFinished(int ms = 10000)
    {
        QSignalSpy done(&run, &ReplyCheckRun::finished);
        return done.wait(ms);
    }
};

} // namespace

TEST(ReplyCheck, NothingWatched)
{
    CheckBench r;
    r.run.start();
    EXPECT_EQ(r.progress, (QList<QPair<int, int>> { { 0, 0 } }));
    EXPECT_EQ(r.ended, qMakePair(0, 0));
    EXPECT_TRUE(r.run.newReplies().isEmpty());
}

TEST(ReplyCheck, GrowthRule)
{
    SizedPages pages;
    CheckBench r;
    r.add(pages.url("/p/1500"), "1000"); // grew by exactly 500
    r.add(pages.url("/q/1501"), "1000"); // grew by 501
    r.add(pages.url("/r/10"), "5000"); // smaller
    r.add(pages.url("/s/9000"), "100"); // much larger
    r.run.start();
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.run.newReplies(), QStringList({ pages.url("/q/1501"), pages.url("/s/9000") }));
    EXPECT_EQ(r.ended, qMakePair(2, 0));
    EXPECT_EQ(r.progress.last(), qMakePair(4, 4));
    EXPECT_EQ(r.posts.at(1).size, 1000) << "a run does not change recorded sizes";

    // The next run lists the same posts again.
    r.run.start();
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.run.newReplyCount(), 2);
}

TEST(ReplyCheck, AFailedPostDoesNotStopTheRun)
{
    SizedPages pages;
    CheckBench r;
    const QString dead = QStringLiteral("http://127.0.0.1:%1/dead").arg(closedLoopbackPort());
    const QString noHost = QStringLiteral("http:///no-host");
    r.add(pages.url("/a/2000"), "10");
    r.add(dead, "10");
    r.add(noHost, "10"); // fails at its start
    r.add(pages.url("/cut/9000"), "10");
    r.add(pages.url("/c/2000"), "10");
    QSignalSpy failedPosts(&r.run, &ReplyCheckRun::checkFailed);
    r.run.start();
    ASSERT_TRUE(r.waitFinished());
    EXPECT_FALSE(r.run.isRunning());
    EXPECT_EQ(r.run.newReplies(), QStringList({ pages.url("/a/2000"), pages.url("/c/2000") }));
    EXPECT_EQ(r.ended, qMakePair(2, 3));
    EXPECT_EQ(r.progress.last(), qMakePair(5, 5));
    const QList<CheckFailure> failures = r.run.failures();
    ASSERT_EQ(failures.size(), 3);
    EXPECT_EQ(failures[0].address, dead);
    EXPECT_EQ(failures[0].number, 10061);
    EXPECT_TRUE(failures[0].description.contains("refused")) << failures[0].description.toStdString();
    EXPECT_EQ(failures[1].address, noHost);
    EXPECT_EQ(failures[2].address, pages.url("/cut/9000"));
    EXPECT_TRUE(failures[2].description.contains("the connection closed before the page was complete"));
    EXPECT_EQ(failedPosts.size(), 3);
    EXPECT_EQ(r.posts.at(3).size, 10) << "a cut page records nothing";

    // The next run starts with a clean list.
    r.posts.removeAt(1);
    r.posts.removeAt(1);
    r.posts.removeAt(1);
    r.run.start();
    ASSERT_TRUE(r.waitFinished());
    EXPECT_TRUE(r.run.failures().isEmpty());
    EXPECT_EQ(r.ended, qMakePair(2, 0));
}

TEST(ReplyCheck, ManyPostsFailingAtTheirStart)
{
    CheckBench r;
    for (int i = 0; i < 2000; ++i)
        r.add(QStringLiteral("http:///nothing/%1").arg(i), "10");
    r.run.start();
    EXPECT_FALSE(r.run.isRunning());
    EXPECT_EQ(r.ended, qMakePair(0, 2000));
}

TEST(ReplyCheck, RestartWhileBusyBeginsAnew)
{
    SizedPages pages;
    CheckBench r;
    r.add(pages.url("/slow/3000"), "10");
    r.add(pages.url("/b/3000"), "10");
    r.run.start();
    QTest::qWait(100);
    r.run.start();
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.run.newReplies(), QStringList({ pages.url("/slow/3000"), pages.url("/b/3000") }));
    QTest::qWait(400);
    EXPECT_EQ(r.run.newReplyCount(), 2) << "the abandoned fetch adds nothing";
}

TEST(ReplyCheck, WatchesRemovedOrAddedDuringARun)
{
    SizedPages pages;
    CheckBench r;
    r.add(pages.url("/slow/100"), "100");
    r.add(pages.url("/gone/5000"), "10"); // measured beside the first, then removed
    r.add(pages.url("/c/900"), "100"); // grew by 800
    r.run.start();
    QTest::qWait(100);
    ASSERT_TRUE(r.run.isRunning());
    r.posts.removeAt(1);
    r.add(pages.url("/late/700"), "600");
    ASSERT_TRUE(r.waitFinished());
    EXPECT_EQ(r.run.newReplies(), QStringList({ pages.url("/c/900") })) << "a post removed is not listed";
    EXPECT_EQ(r.ended, qMakePair(1, 0));
    QStringList fetched;
    for (const QByteArray &req : pages.server.requests)
        fetched.append(QString::fromLatin1(req.mid(4, req.indexOf(' ', 4) - 4)));
    fetched.sort();
    EXPECT_EQ(fetched, QStringList({ "/c/900", "/gone/5000", "/late/700", "/slow/100" }));
}

TEST(ReplyCheck, PostWithoutASizeIsMeasuredNotListed)
{
    SizedPages pages;
    CheckBench r;
    r.add(pages.url("/n/4321"), "none");
    r.add(pages.url("/m/4321"), "");
    r.run.start();
    ASSERT_TRUE(r.waitFinished());
    EXPECT_TRUE(r.run.newReplies().isEmpty());
    EXPECT_EQ(r.posts.at(0).size, 4321);
    EXPECT_EQ(r.posts.at(1).size, 4321);
}
