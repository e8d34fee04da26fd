// The check run over posts whose sizes an older version recorded: a post
// whose page grew by more than 500 bytes has new replies.
#include "fetch/fetch_helpers.h"

#include <gtest/gtest.h>

#include <QTest>

TEST(ReplyCheck, NothingWatched)
{
    ThreadChecker c;
    EXPECT_EQ(c.check(), QStringList());
    EXPECT_EQ(c.progress, (QList<QPair<int, int>> { { 0, 0 } }));
    EXPECT_EQ(c.ended, qMakePair(0, 0));
}

TEST(ReplyCheck, GrowthRule)
{
    struct Row {
        const char *name;
        int now;
        const char *recorded;
        bool listed;
        qint64 recordedAfter;
    };
    const QList<Row> rows = {
        { "grew by exactly 500", 1500, "1000", false, 1500 },
        { "grew by 501", 1501, "1000", true, 1000 },
        { "smaller", 10, "5000", false, 10 },
        { "much larger", 9000, "100", true, 100 },
        { "no size yet", 4321, "none", false, 4321 },
        { "an empty size", 4321, "", false, 4321 },
    };
    PageServer pages;
    ThreadChecker c;
    QStringList listed;
    for (const Row &r : rows) {
        const QByteArray path = "/" + QByteArray::number(c.posts.count());
        pages.sizes[path] = r.now;
        c.posts.add(pages.url(path), r.recorded);
        if (r.listed)
            listed.append(pages.url(path));
    }
    EXPECT_EQ(c.check(), listed);
    EXPECT_EQ(c.ended, qMakePair(2, 0));
    EXPECT_EQ(c.progress.last(), qMakePair(6, 6));
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(c.posts.at(i).size, rows[i].recordedAfter) << rows[i].name;
    EXPECT_EQ(c.check(), listed) << "listed until watched again";
}

TEST(ReplyCheck, AFailedPostDoesNotStopTheRun)
{
    PageServer pages;
    pages.sizes = { { "/a", 2000 }, { "/c", 2000 } };
    ScriptServer cut;
    cut.route("", pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 9000\r\n\r\n" + QByteArray(4500, 'c') } }));
    ThreadChecker c;
    const QString dead = deadAddress();
    const QString noHost = QStringLiteral("http:///no-host"); // fails at its start
    for (const QString &url : { pages.url("/a"), dead, noHost, cut.base() + "/cut", pages.url("/c") })
        c.posts.add(url, "10");
    QSignalSpy failedPosts(&c.run, &ReplyCheckRun::checkFailed);
    EXPECT_EQ(c.check(), QStringList({ pages.url("/a"), pages.url("/c") }));
    EXPECT_EQ(c.ended, qMakePair(2, 3));
    EXPECT_EQ(c.progress.last(), qMakePair(5, 5));
    QStringList failures;
    for (const CheckFailure &f : c.run.failures())
        failures.append(QStringLiteral("%1 %2 %3").arg(f.address).arg(f.number).arg(f.description));
    ASSERT_EQ(failures.size(), 3);
    EXPECT_TRUE(failures[0].startsWith(dead + " 10061 ") && failures[0].contains("refused"))
        << failures[0].toStdString();
    EXPECT_TRUE(failures[1].startsWith(noHost + " ")) << failures[1].toStdString();
    EXPECT_TRUE(failures[2].startsWith(cut.base() + "/cut ")) << failures[2].toStdString();
    EXPECT_EQ(failedPosts.size(), 3);
    EXPECT_EQ(c.posts.at(3).size, 10) << "a cut page records nothing";

    // The next run starts with a clean list.
    for (int i = 0; i < 3; ++i)
        c.posts.removeAt(1);
    EXPECT_EQ(c.check(), QStringList({ pages.url("/a"), pages.url("/c") }));
    EXPECT_TRUE(c.run.failures().isEmpty());
}

TEST(ReplyCheck, ManyPostsFailingAtTheirStart)
{
    ThreadChecker c;
    for (int i = 0; i < 2000; ++i)
        c.posts.add(QStringLiteral("http:///nothing/%1").arg(i), "10");
    c.run.start();
    EXPECT_FALSE(c.run.isRunning());
    EXPECT_EQ(c.ended, qMakePair(0, 2000));
}

TEST(ReplyCheck, RestartWhileBusyBeginsAnew)
{
    PageServer pages;
    pages.sizes = { { "/slow", 3000 }, { "/b", 3000 } };
    pages.delays = { { "/slow", 300 } };
    ThreadChecker c;
    c.posts.add(pages.url("/slow"), "10");
    c.posts.add(pages.url("/b"), "10");
    c.run.start();
    QTest::qWait(100);
    EXPECT_EQ(c.check(), QStringList({ pages.url("/slow"), pages.url("/b") }));
    QTest::qWait(400);
    EXPECT_EQ(c.run.newReplyCount(), 2) << "the abandoned fetch adds nothing";
}

TEST(ReplyCheck, WatchesRemovedOrAddedDuringARun)
{
    PageServer pages;
    pages.sizes = { { "/slow", 100 }, { "/gone", 5000 }, { "/c", 900 }, { "/late", 700 } };
    pages.delays = { { "/slow", 300 } };
    ThreadChecker c;
    c.posts.add(pages.url("/slow"), "100");
    c.posts.add(pages.url("/gone"), "10"); // measured beside the first, then removed
    c.posts.add(pages.url("/c"), "100"); // grew by 800
    c.run.start();
    QTest::qWait(100);
    ASSERT_TRUE(c.run.isRunning());
    c.posts.removeAt(1);
    c.posts.add(pages.url("/late"), "600");
    ASSERT_TRUE(runUntil([&] { return !c.run.isRunning(); }));
    EXPECT_EQ(c.run.newReplies(), QStringList({ pages.url("/c") })) << "a post removed is not listed";
    EXPECT_EQ(c.ended, qMakePair(1, 0));
    QList<QByteArray> fetched = pages.paths();
    std::sort(fetched.begin(), fetched.end());
    EXPECT_EQ(fetched, QList<QByteArray>({ "/c", "/gone", "/late", "/slow" }));
}
