// Check runs that measure several threads at once, against forums on three
// loopback hosts that hold their answers back, the posts early in the list
// longest: whatever the limits and however a server keeps its connections,
// a run tells and records what a run of one fetch at a time does.
#include "fetch/fetch_helpers.h"

#include <gtest/gtest.h>

#include <QTest>

#include <memory>

namespace {

using Script = ScriptServer::Script;

// How a server treats a connection once it has answered on it.
enum class Keeps { Alive, ClosesEach, ResetsReused };

// Threads on three hosts. Thread t lives at /t<t>, its page n at
// /t<t>?page=n; three replies a page, every page linking the others.
struct Forums {
    static constexpr int kHosts = 3;
    std::vector<std::unique_ptr<ScriptServer>> servers;
    QMap<int, int> replies; // by thread
    QMap<int, int> host; // by thread, 0 to 2
    int online = 10; // a line that changes in place on thread 9's pages
    int failingThread = 8; // its page 2 answers 404

    explicit Forums(Keeps keeps)
    {
        replies = { { 1, 7 }, { 2, 2 }, { 3, 5 }, { 4, 8 }, { 5, 4 }, { 6, 9 }, { 7, 1 }, { 8, 4 }, { 9, 6 } };
        host = { { 1, 0 }, { 2, 0 }, { 3, 0 }, { 4, 0 }, { 5, 1 }, { 6, 1 }, { 7, 1 }, { 8, 2 }, { 9, 2 } };
        for (int h = 0; h < kHosts; ++h) {
            servers.push_back(
                std::make_unique<ScriptServer>(nullptr, QHostAddress(QStringLiteral("127.0.0.%1").arg(h + 1))));
            servers.back()->setHandler([this, keeps](const QByteArray &path) { return serve(path, keeps); });
            if (keeps == Keeps::ResetsReused)
                servers.back()->dropRequestsAfter(1, true);
        }
    }

    QString url(int thread) const { return servers[host.value(thread)]->base() + QStringLiteral("/t%1").arg(thread); }

    QByteArray page(int thread, int n) const
    {
        const int count = std::max(1, (replies.value(thread) + 2) / 3);
        auto href
            = [thread](int k) { return k == 1 ? "/t" + QByteArray::number(thread) : "?page=" + QByteArray::number(k); };
        QByteArray body = "<html><head><title>Thread " + QByteArray::number(thread) + "</title>";
        if (n < count)
            body += "<link rel=\"next\" href=\"" + href(n + 1) + "\">";
        body += "</head><body><div class=\"nav\">";
        for (int k = 1; k <= count; ++k)
            if (k != n)
                body += "<a href=\"" + href(k) + "\">" + QByteArray::number(k) + "</a> ";
        body += "</div>\n";
        if (thread == 9)
            body += "<div>Users online: " + QByteArray::number(online) + "</div>\n";
        for (int i = (n - 1) * 3; i < std::min(n * 3, replies.value(thread)); ++i)
            body += "<div><b>user" + QByteArray::number(i) + "</b><p>Reply " + QByteArray::number(i) + " in thread "
                + QByteArray::number(thread) + ", said at length</p><i>Quote</i></div>\n";
        return body + "</body></html>\n";
    }

    Script serve(const QByteArray &path, Keeps keeps) const
    {
        const int query = path.indexOf('?');
        const int thread = path.mid(2, query < 0 ? -1 : query - 2).toInt();
        const int n = query < 0 ? 1 : path.mid(query + 6).toInt();
        // The posts early in the list answer last.
        const int delayMs = 5 * (10 - thread);
        QByteArray head = "HTTP/1.1 200 OK\r\n";
        QByteArray body = page(thread, n);
        if (thread == failingThread && n == 2) {
            head = "HTTP/1.1 404 Not Found\r\n";
            body = "not found";
        }
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        if (keeps == Keeps::ClosesEach)
            head += "Connection: close\r\n";
        return pieces({ { head + "\r\n" + body, delayMs } }, keeps != Keeps::ClosesEach);
    }
};

// What a run told and left behind.
struct Told {
    QStringList posts; // in the order told: address, size, pages, news and text added; or the failure
    QStringList listed; // the New Replies list
    QString sizes; // sizes.txt
    QStringList kept; // each post's kept text, in list order
    QList<QPair<int, int>> progress;
    QPair<int, int> ended { -1, -1 };

    // Each row has servers of its own: their addresses are named alike.
    Told named(const QMap<QString, QString> &names) const
    {
        Told out = *this;
        for (auto it = names.cbegin(); it != names.cend(); ++it)
            for (QStringList *list : { &out.posts, &out.listed, &out.kept })
                list->replaceInStrings(it.key(), it.value());
        return out;
    }
};

// Checks the posts once: what the run told and left behind.
Told check(ThreadChecker &c)
{
    Told told;
    QObject guard;
    QObject::connect(&c.run, &ReplyCheckRun::postChecked, &guard, [&](const CheckedPost &p) {
        told.posts.append(QStringLiteral("%1 %2 bytes %3 pages%4 %5")
                              .arg(p.address)
                              .arg(p.size.bytes)
                              .arg(p.size.pages)
                              .arg(p.newReplies ? " new:" : "", p.added));
    });
    QObject::connect(
        &c.run, &ReplyCheckRun::checkFailed, &guard, [&](const QString &address, int number, const QString &why) {
            told.posts.append(QStringLiteral("%1 failed %2 %3").arg(address).arg(number).arg(why));
        });
    c.check();
    told.progress = c.progress;
    told.ended = c.ended;
    for (const NewReply &reply : c.run.newReplyTexts())
        told.listed.append(reply.address + " " + reply.gist + "\n" + reply.added);
    told.sizes = c.posts.sizesFileText();
    for (const WatchedPost &post : c.posts.all()) {
        QString text;
        for (const ThreadPageText &page : c.texts.load(post.url).value_or(ThreadText()))
            text += page.key + "\n" + QString::fromUtf8(page.lines);
        told.kept.append(text);
    }
    return told;
}

QString address(const QString &toldLine)
{
    return toldLine.left(toldLine.indexOf(' '));
}

} // namespace

TEST(ParallelCheck, TellsWhatARunOfOneFetchAtATimeTells)
{
    struct Row {
        const char *name;
        CheckLimits limits;
        Keeps keeps;
        int reused; // the most connections to each of the first two hosts, -1: not counted
    };
    // Whatever the limits, one pool of kept connections serves every page of every thread.
    const QList<Row> rows = {
        { "one fetch at a time", { 1, 1 }, Keeps::Alive, -1 },
        { "eight in all, two to a host", { 8, 2 }, Keeps::Alive, 2 },
        { "one to a host", { 8, 1 }, Keeps::Alive, 1 },
        { "two in all", { 2, 2 }, Keeps::Alive, -1 },
        { "servers that close after each answer", { 8, 2 }, Keeps::ClosesEach, -1 },
        { "servers that reset a kept connection at its next request", { 8, 2 }, Keeps::ResetsReused, -1 },
    };
    std::optional<std::pair<Told, Told>> oneAtATime;
    for (const Row &r : rows) {
        Forums forums(r.keeps);
        ScriptServer::allServers() = {};
        ThreadChecker c;
        c.run.setLimits(r.limits);
        const QString dead = QStringLiteral("http://127.0.0.4:%1/dead").arg(closedLoopbackPort());
        const QString noHost = QStringLiteral("http:///t5");
        QStringList list;
        for (const QVariant &post : QVariantList { 1, 5, 8, 2, dead, 6, 3, 9, 7, 4, noHost })
            list.append(post.typeId() == QMetaType::QString ? post.toString() : forums.url(post.toInt()));
        for (const QString &url : list)
            c.posts.add(url, WatchedPostsModel::noSizeText());

        QMap<QString, QString> names { { dead, "dead" } };
        for (int h = 0; h < Forums::kHosts; ++h)
            names.insert(forums.servers[h]->base(), QStringLiteral("host%1").arg(h + 1));
        const Told first = check(c).named(names);
        forums.replies[1] += 2; // a reply on its last page, one on a new page
        forums.replies[5] += 3; // a page of its own
        forums.replies[6] += 1;
        forums.online += 7; // no news
        const Told second = check(c).named(names);
        const ScriptServer::Tally &all = ScriptServer::allServers();
        EXPECT_LE(all.mostOpen, r.limits.connections) << r.name;
        EXPECT_EQ(all.mostAnswering > 1, r.limits.connections > 1) << r.name << ": hosts fetched side by side";
        for (int h = 0; h < Forums::kHosts; ++h) {
            EXPECT_LE(forums.servers[h]->tally.mostOpen, r.limits.perHost) << r.name << ", host " << h + 1;
            // The thread that fails closes a connection on the third host.
            if (r.reused > 0 && h < 2)
                EXPECT_LE(forums.servers[h]->connections, r.reused) << r.name << ", host " << h + 1;
        }

        if (!oneAtATime) {
            // The run every other row must match tells each post in list order...
            for (const Told &told : { first, second }) {
                QStringList order;
                for (const QString &line : told.posts)
                    order.append(address(line));
                EXPECT_EQ(order,
                    QString("host1/t1 host2/t5 host3/t8 host1/t2 dead host2/t6 host1/t3 host3/t9 host2/t7 host1/t4 "
                            "http:///t5")
                        .split(' '))
                    << r.name;
                EXPECT_EQ(told.ended.second, 3) << r.name << ": the failing page, the dead server, no host";
                EXPECT_EQ(told.progress.size(), list.size() + 1) << r.name;
                EXPECT_EQ(told.progress.last(), qMakePair(11, 11)) << r.name;
            }
            // ...and finds the replies, each in its own thread.
            QStringList found;
            for (const QString &listed : second.listed)
                found.append(address(listed));
            EXPECT_EQ(found, QStringList({ "host1/t1", "host2/t5", "host2/t6" })) << r.name;
            for (const QString &listed : second.listed) {
                const QString thread = listed.left(listed.indexOf(' ')).section('/', -1).mid(1);
                EXPECT_TRUE(listed.contains(" in thread " + thread + ",")) << r.name << ": " << listed.toStdString();
            }
            oneAtATime = { first, second };
            continue;
        }
        for (const auto &[told, expected] :
            { std::pair { first, oneAtATime->first }, std::pair { second, oneAtATime->second } }) {
            EXPECT_EQ(told.posts, expected.posts) << r.name;
            EXPECT_EQ(told.listed, expected.listed) << r.name;
            EXPECT_EQ(told.sizes, expected.sizes) << r.name;
            EXPECT_EQ(told.kept, expected.kept) << r.name;
            EXPECT_EQ(told.progress, expected.progress) << r.name;
            EXPECT_EQ(told.ended, expected.ended) << r.name;
        }
    }
}

TEST(ParallelCheck, StoppingEndsEveryFetchAtOnce)
{
    struct Row {
        const char *name;
        std::function<void(std::unique_ptr<ThreadChecker> &)> stop;
    };
    const QList<Row> rows = {
        { "started anew with nothing to check",
            [](std::unique_ptr<ThreadChecker> &c) {
                while (c->posts.count() > 0)
                    c->posts.removeAt(0);
                c->run.start();
            } },
        { "abandoned, as when the window closes", [](std::unique_ptr<ThreadChecker> &c) { c->run.abandon(); } },
        { "gone with its owner", [](std::unique_ptr<ThreadChecker> &c) { c.reset(); } },
    };
    for (const Row &r : rows) {
        // A thread on each host, whose pages 2 and 3, fetched side by side, are slow to come.
        ScriptServer near;
        ScriptServer far(nullptr, QHostAddress(QStringLiteral("127.0.0.2")));
        for (ScriptServer *s : { &near, &far })
            s->setHandler([](const QByteArray &path) {
                return path.contains("page=")
                    ? ScriptServer::keptAlive("a later page", 3000)
                    : ScriptServer::keptAlive("<a href=\"?page=2\">2</a> <a href=\"?page=3\">3</a>");
            });
        auto c = std::make_unique<ThreadChecker>();
        for (ScriptServer *s : { &near, &far })
            c->posts.add(s->base() + "/t", "6");
        QStringList told;
        QObject::connect(&c->run, &ReplyCheckRun::postChecked, [&](const CheckedPost &p) { told.append(p.address); });
        QObject::connect(&c->run, &ReplyCheckRun::checkFailed, [&](const QString &a) { told.append(a); });
        c->run.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return near.tally.open + far.tally.open == 4; }, 2000)) << r.name;
        r.stop(c);
        EXPECT_TRUE(QTest::qWaitFor([&] { return near.tally.open + far.tally.open == 0; }, 500))
            << r.name << ": " << near.tally.open + far.tally.open << " connections still open";
        QTest::qWait(50);
        EXPECT_EQ(told, QStringList()) << r.name;
        if (c)
            EXPECT_FALSE(c->run.isRunning()) << r.name;
    }
}
