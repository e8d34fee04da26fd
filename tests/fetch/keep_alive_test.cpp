// Connections kept alive from one page to the next, and shared by several
// channels politely: servers on 127.0.0.1, 127.0.0.2, ... stand for hosts.
#include "fetch/fetch_helpers.h"
#include "net/connection_pool.h"
#include "net/fetch_error.h"
#include "net/socket_control.h"
#include "support/script_server.h"

#include <gtest/gtest.h>

#include <QTest>

#include <functional>
#include <memory>

namespace {
using Script = ScriptServer::Script;

Script kept(const QByteArray &answer)
{
    Script s;
    s.pieces.append({ answer, 0 });
    s.keepOpen = true;
    return s;
}

QByteArray page(char letter, int size)
{
    return QByteArray(size, letter);
}

// A request the server saw: its path and the connection it came on.
struct Seen {
    QByteArray path;
    int connection;
    bool operator==(const Seen &o) const { return path == o.path && connection == o.connection; }
};

QList<Seen> seen(const ScriptServer &server)
{
    QList<Seen> out;
    for (qsizetype i = 0; i < server.requests.size(); ++i) {
        const QByteArray &r = server.requests[i];
        out.append({ r.mid(4, r.indexOf(' ', 4) - 4), server.requestConnections[i] });
    }
    return out;
}

std::ostream &operator<<(std::ostream &os, const Seen &s)
{
    return os << s.path.constData() << "@" << s.connection;
}

// Fetches every address with several channels sharing pool, each channel
// taking the next address as soon as it is free. Sizes in address order; -1 failed.
QList<qint64> fetchAll(ConnectionPool &pool, int channels, const QStringList &addresses)
{
    QList<qint64> sizes(addresses.size(), -2);
    std::vector<std::unique_ptr<PageFetch>> fetches;
    qsizetype next = 0;
    int done = 0;
    QEventLoop loop;
    std::function<void(PageFetch *, qsizetype)> startNext = [&](PageFetch *fetch, qsizetype slot) {
        if (next >= addresses.size())
            return;
        const qsizetype index = next++;
        QObject::disconnect(fetch, nullptr, nullptr, nullptr);
        auto record = [&, fetch, index, slot](qint64 size) {
            sizes[index] = size;
            if (++done == addresses.size())
                loop.quit();
            startNext(fetch, slot);
        };
        QObject::connect(fetch, &PageFetch::finished, fetch, record, Qt::QueuedConnection);
        QObject::connect(
            fetch, &PageFetch::failed, fetch, [record] { record(-1); }, Qt::QueuedConnection);
        fetch->start(addresses[index]);
    };
    for (int c = 0; c < channels; ++c) {
        fetches.push_back(std::make_unique<PageFetch>());
        fetches.back()->setConnectionPool(&pool);
        fetches.back()->setTimeoutMs(5000);
    }
    for (int c = 0; c < channels; ++c)
        startNext(fetches[c].get(), c);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return sizes;
}

} // namespace

TEST(KeepAlive, WhenAConnectionCarriesTheNextRequest)
{
    struct Step {
        QByteArray path;
        qint64 bytes; // -1: fails as incomplete
        int waitMs = 0; // before the fetch
    };
    struct Row {
        const char *name;
        std::function<void(ScriptServer &)> serve;
        QList<Step> steps;
        QList<Seen> requests;
    };
    const QByteArray ok = "HTTP/1.1 200 OK\r\n";
    const auto keptPages = [](ScriptServer &s) {
        s.route("/a", ScriptServer::keptAlive(page('a', 100)));
        s.route("/b", ScriptServer::keptAlive(page('b', 200)));
        s.route("/c", ScriptServer::keptAlive(page('c', 300)));
    };
    const QList<Row> rows = {
        { "page after page on one connection", keptPages, { { "/a", 100 }, { "/b", 200 }, { "/c", 300 } },
            { { "/a", 1 }, { "/b", 1 }, { "/c", 1 } } },
        { "a redirect to the same host goes on the same connection",
            [&](ScriptServer &s) {
                keptPages(s);
                s.route("/old", kept("HTTP/1.1 301 Moved\r\nLocation: /b\r\nContent-Length: 0\r\n\r\n"));
            },
            { { "/old", 200 } }, { { "/old", 1 }, { "/b", 1 } } },
        { "the server says it closes",
            [](ScriptServer &s) {
                s.route("/a", ScriptServer::response(page('a', 100)));
                s.route("/b", ScriptServer::response(page('b', 200)));
            },
            { { "/a", 100 }, { "/b", 200 } }, { { "/a", 1 }, { "/b", 2 } } },
        { "an HTTP/1.0 answer",
            [&](ScriptServer &s) {
                keptPages(s);
                s.route("/a", kept("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"));
            },
            { { "/a", 2 }, { "/b", 200 } }, { { "/a", 1 }, { "/b", 2 } } },
        { "an error page is measured, then its connection closed",
            [&](ScriptServer &s) {
                keptPages(s);
                s.route("/gone", kept("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"));
            },
            { { "/gone", 9 }, { "/a", 100 } }, { { "/gone", 1 }, { "/a", 2 } } },
        { "a page that ends at the close",
            [&](ScriptServer &s) {
                keptPages(s);
                Script untilClose;
                untilClose.pieces.append({ ok + "\r\nuntil the close", 0 });
                s.route("/open", untilClose);
            },
            { { "/open", 15 }, { "/a", 100 } }, { { "/open", 1 }, { "/a", 2 } } },
        { "bytes after the end of the answer",
            [&](ScriptServer &s) {
                keptPages(s);
                s.route("/extra", kept(ok + "Content-Length: 5\r\n\r\nhelloEXTRA"));
            },
            { { "/extra", 5 }, { "/a", 100 } }, { { "/extra", 1 }, { "/a", 2 } } },
        { "a kept connection closed as the next request comes is tried once more",
            [&](ScriptServer &s) {
                keptPages(s);
                s.dropRequestsAfter(1, false);
            },
            { { "/a", 100 }, { "/b", 200 }, { "/c", 300 } },
            { { "/a", 1 }, { "/b", 1 }, { "/b", 2 }, { "/c", 2 }, { "/c", 3 } } },
        { "a kept connection reset as the next request comes is tried once more",
            [&](ScriptServer &s) {
                keptPages(s);
                s.dropRequestsAfter(1, true);
            },
            { { "/a", 100 }, { "/b", 200 } }, { { "/a", 1 }, { "/b", 1 }, { "/b", 2 } } },
        { "a request that fails on its new connection too is not tried a third time",
            [&](ScriptServer &s) {
                keptPages(s);
                Script reset;
                reset.reset = true;
                s.route("/reset", reset);
            },
            { { "/a", 100 }, { "/reset", -1 } }, { { "/a", 1 }, { "/reset", 1 }, { "/reset", 2 } } },
        { "a request whose answer had begun is not sent again",
            [&](ScriptServer &s) {
                keptPages(s);
                Script cut;
                cut.pieces.append({ ok + "Content-Length: 100\r\n\r\nhalf", 0 });
                cut.reset = true;
                s.route("/cut", cut);
            },
            { { "/a", 100 }, { "/cut", -1 } }, { { "/a", 1 }, { "/cut", 1 } } },
        { "a kept connection on which the server said goodbye is not used",
            [&](ScriptServer &s) {
                keptPages(s);
                Script a = ScriptServer::keptAlive(page('a', 100));
                a.closeWhenIdleMs = 50;
                a.goodbye = "HTTP/1.1 408 Request Timeout\r\nContent-Length: 7\r\nConnection: close\r\n\r\ntimeout";
                s.route("/a", a);
            },
            { { "/a", 100 }, { "/b", 200, 300 } }, { { "/a", 1 }, { "/b", 2 } } },
    };
    for (const Row &r : rows) {
        ScriptServer server;
        r.serve(server);
        PageFetch fetch;
        fetch.setTimeoutMs(3000);
        for (const Step &step : r.steps) {
            if (step.waitMs > 0)
                QTest::qWait(step.waitMs);
            const FetchOutcome out = runFetch(fetch, server.base() + QString::fromLatin1(step.path));
            if (step.bytes >= 0) {
                EXPECT_TRUE(out.finished)
                    << r.name << " " << step.path.constData() << ": " << out.description.toStdString();
                EXPECT_EQ(out.bytes, step.bytes) << r.name << " " << step.path.constData();
            } else {
                EXPECT_TRUE(out.failed) << r.name << " " << step.path.constData() << ": measured " << out.bytes;
                EXPECT_EQ(out.number, FetchError::IncompletePage) << r.name << ": " << out.description.toStdString();
            }
        }
        EXPECT_EQ(seen(server), r.requests) << r.name;
    }
}

TEST(KeepAlive, PoliteToEachHostAndInAll)
{
    struct Row {
        const char *name;
        int maxConnections;
        int maxPerHost;
        int hosts;
        int channels;
        int pagesPerHost;
        int mostInAll;
        int answeringAtOnce; // requests that waited for their answers side by side
        int connections; // made in all, each kept for the host's later pages; -1: not counted
    };
    const QList<Row> rows = {
        { "one host, four channels", 8, 2, 1, 4, 8, 2, 2, 2 },
        { "two hosts fetched at once", 8, 2, 2, 2, 1, 2, 2, 2 },
        { "three hosts, two connections in all", 2, 2, 3, 4, 3, 2, 2, -1 },
        { "one at a time to each of three hosts", 8, 1, 3, 6, 2, 3, 3, 3 },
    };
    for (const Row &r : rows) {
        std::vector<std::unique_ptr<ScriptServer>> servers;
        QStringList addresses;
        QList<qint64> expected;
        for (int h = 0; h < r.hosts; ++h) {
            servers.push_back(
                std::make_unique<ScriptServer>(nullptr, QHostAddress(QStringLiteral("127.0.0.%1").arg(h + 1))));
            // Every page has its own size, so that no answer can pass for another.
            servers.back()->setHandler(
                [](const QByteArray &path) { return ScriptServer::keptAlive(page('p', path.mid(1).toInt()), 100); });
        }
        // Pages of the hosts in turn, as watched posts lie.
        for (int p = 0; p < r.pagesPerHost; ++p)
            for (int h = 0; h < r.hosts; ++h) {
                expected.append(1000 + 100 * h + p);
                addresses.append(servers[h]->base() + QStringLiteral("/%1").arg(expected.last()));
            }
        ScriptServer::allServers() = {};
        ConnectionPool pool;
        pool.setMaxConnections(r.maxConnections);
        pool.setMaxPerHost(r.maxPerHost);
        EXPECT_EQ(fetchAll(pool, r.channels, addresses), expected) << r.name;
        for (int h = 0; h < r.hosts; ++h)
            EXPECT_LE(servers[h]->tally.mostOpen, r.maxPerHost) << r.name << ", host " << h + 1;
        EXPECT_EQ(ScriptServer::allServers().mostOpen, r.mostInAll) << r.name;
        EXPECT_EQ(ScriptServer::allServers().mostAnswering, r.answeringAtOnce) << r.name;
        int connections = 0;
        for (const auto &server : servers)
            connections += server->connections;
        if (r.connections >= 0)
            EXPECT_EQ(connections, r.connections) << r.name;
    }
}

TEST(KeepAlive, StoppingAndWaiting)
{
    struct Row {
        const char *name;
        // Acts on two channels sharing a pool of one connection to the host,
        // the first busy with a slow page.
        std::function<void(std::unique_ptr<PageFetch> &busy, PageFetch &other, std::unique_ptr<ConnectionPool> &pool)>
            act;
        int openAfter; // connections the server still has open; -1: not checked
        QList<Seen> requests; // with the page a third channel fetches next
    };
    const QList<Row> rows = {
        { "a fetch stopped half way closes its connection",
            [](std::unique_ptr<PageFetch> &busy, PageFetch &, std::unique_ptr<ConnectionPool> &) { busy->abandon(); },
            -1, { { "/slow", 1 }, { "/fast", 2 } } },
        { "a channel that goes away closes its connection",
            [](std::unique_ptr<PageFetch> &busy, PageFetch &, std::unique_ptr<ConnectionPool> &) { busy.reset(); }, -1,
            { { "/slow", 1 }, { "/fast", 2 } } },
        { "a connection idle longer than the idle time is closed",
            [](std::unique_ptr<PageFetch> &busy, PageFetch &, std::unique_ptr<ConnectionPool> &pool) {
                pool->setIdleTimeoutMs(100);
                QSignalSpy(busy.get(), &PageFetch::finished).wait(3000);
            },
            0, { { "/slow", 1 }, { "/fast", 2 } } },
        { "a stopped channel that waited takes no connection",
            [](std::unique_ptr<PageFetch> &busy, PageFetch &other, std::unique_ptr<ConnectionPool> &) {
                other.start(fetchAddressText(busy->currentAddress()).replace("/slow", "/fast"));
                QTest::qWait(50);
                other.abandon();
                QSignalSpy(busy.get(), &PageFetch::finished).wait(3000);
            },
            1, { { "/slow", 1 }, { "/fast", 1 } } },
        { "a channel whose pool goes away while it waits goes on with its own",
            [](std::unique_ptr<PageFetch> &busy, PageFetch &other, std::unique_ptr<ConnectionPool> &pool) {
                QSignalSpy done(&other, &PageFetch::finished);
                other.start(fetchAddressText(busy->currentAddress()).replace("/slow", "/fast"));
                QTest::qWait(50);
                pool.reset();
                EXPECT_TRUE(done.wait(3000)) << "the waiting channel never fetched";
            },
            -1, { { "/slow", 1 }, { "/fast", 2 }, { "/fast", 3 } } },
    };
    for (const Row &r : rows) {
        ScriptServer server;
        Script slow = ScriptServer::keptAlive(page('s', 4000));
        const QByteArray answer = slow.pieces[0].bytes;
        slow.pieces = { { answer.left(100), 0 }, { answer.mid(100), 400 } };
        server.route("/slow", slow);
        server.route("/fast", ScriptServer::keptAlive(page('f', 10)));
        auto pool = std::make_unique<ConnectionPool>();
        pool->setMaxPerHost(1);
        auto busy = std::make_unique<PageFetch>();
        auto other = std::make_unique<PageFetch>();
        auto next = std::make_unique<PageFetch>();
        for (PageFetch *f : { busy.get(), other.get(), next.get() })
            f->setConnectionPool(pool.get());
        busy->start(server.base() + "/slow");
        QTest::qWait(100);
        r.act(busy, *other, pool);
        QTest::qWait(50);
        if (r.openAfter >= 0)
            EXPECT_TRUE(QTest::qWaitFor([&] { return server.tally.open == r.openAfter; }, 1000))
                << r.name << ": " << server.tally.open << " open";
        // The next page is whole and right, whatever came before.
        const FetchOutcome out = runFetch(*next, server.base() + "/fast", 3000);
        EXPECT_EQ(out.bytes, 10) << r.name << ": " << out.description.toStdString();
        EXPECT_EQ(seen(server), r.requests) << r.name;
        pool.reset();
        busy.reset();
        other.reset();
        next.reset();
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.tally.open == 0; }, 2000))
            << r.name << ": connections outlive their channels and pool";
    }
}

TEST(KeepAlive, SecureConnectionsAreKeptOnlyForTheTrustTheyWereMadeWith)
{
    ScriptServer server;
    if (!server.useTls())
        GTEST_SKIP() << "no TLS backend";
    server.route("/a", ScriptServer::keptAlive(page('a', 100)));
    server.route("/b", ScriptServer::keptAlive(page('b', 200)));
    ConnectionPool pool;
    PageFetch lenient; // trusts the test's throw-away certificate
    PageFetch strict;
    lenient.setIgnoreSslErrors(true);
    lenient.setConnectionPool(&pool);
    strict.setConnectionPool(&pool);
    EXPECT_EQ(runFetch(lenient, server.base() + "/a").bytes, 100);
    EXPECT_EQ(runFetch(lenient, server.base() + "/b").bytes, 200);
    const FetchOutcome refused = runFetch(strict, server.base() + "/a");
    EXPECT_TRUE(refused.failed) << "a strict channel was lent a connection it would not have trusted";
    EXPECT_EQ(refused.number, FetchError::SecureFailure) << refused.description.toStdString();
    EXPECT_EQ(seen(server), (QList<Seen> { { "/a", 1 }, { "/b", 1 } }));
}
