// Connections kept alive from one page to the next, and shared by several
// channels politely: servers on 127.0.0.1, 127.0.0.2, ... stand for hosts.
#include "fetch/fetch_helpers.h"
#include "net/connection_pool.h"
#include "net/fetch_error.h"

#include <gtest/gtest.h>

#include <QTest>

#include <memory>

namespace {
using Script = ScriptServer::Script;

// The requests a server saw: "path@connection".
QStringList seen(const ScriptServer &server)
{
    QStringList out;
    const QList<QByteArray> paths = server.paths();
    for (qsizetype i = 0; i < paths.size(); ++i)
        out.append(QString::fromLatin1(paths[i]) + '@' + QString::number(server.requestConnections[i]));
    return out;
}

// Fetches every address with several channels sharing pool, each channel
// taking the next address as soon as it is free. Sizes in address order; -1 failed.
QList<qint64> fetchAll(ConnectionPool &pool, int channels, const QStringList &addresses)
{
    QList<qint64> sizes(addresses.size(), -2);
    std::vector<std::unique_ptr<PageFetch>> fetches;
    qsizetype next = 0;
    std::function<void(PageFetch *)> startNext = [&](PageFetch *fetch) {
        if (next >= addresses.size())
            return;
        const qsizetype index = next++;
        QObject::disconnect(fetch, nullptr, nullptr, nullptr);
        auto record = [&, fetch, index](qint64 size) {
            sizes[index] = size;
            startNext(fetch);
        };
        QObject::connect(fetch, &PageFetch::finished, fetch, record, Qt::QueuedConnection);
        QObject::connect(
            fetch, &PageFetch::failed, fetch, [record] { record(-1); }, Qt::QueuedConnection);
        fetch->start(addresses[index]);
    };
    for (int c = 0; c < channels; ++c) {
        fetches.push_back(std::make_unique<PageFetch>());
        fetches.back()->setConnectionPool(&pool);
        startNext(fetches.back().get());
    }
    runUntil([&] { return !sizes.contains(-2); });
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
        std::function<void(ScriptServer &)> serve; // besides /a, /b and /c, kept alive
        QList<Step> steps;
        QStringList requests;
    };
    const QByteArray ok = "HTTP/1.1 200 OK\r\n";
    const QList<Row> rows = {
        { "page after page on one connection", nullptr, { { "/a", 100 }, { "/b", 200 }, { "/c", 300 } },
            { "/a@1", "/b@1", "/c@1" } },
        { "a redirect to the same host goes on the same connection",
            [](ScriptServer &s) {
                s.route(
                    "/old", pieces({ { "HTTP/1.1 301 Moved\r\nLocation: /b\r\nContent-Length: 0\r\n\r\n" } }, true));
            },
            { { "/old", 200 } }, { "/old@1", "/b@1" } },
        // Which answers leave a connection fit for the next: HttpResponseCounter.
        { "an answer that leaves the connection unfit",
            [](ScriptServer &s) { s.route("/a", ScriptServer::response(QByteArray(100, 'a'))); },
            { { "/a", 100 }, { "/b", 200 } }, { "/a@1", "/b@2" } },
        { "a kept connection closed as the next request comes is tried once more",
            [](ScriptServer &s) { s.dropRequestsAfter(1, false); }, { { "/a", 100 }, { "/b", 200 }, { "/c", 300 } },
            { "/a@1", "/b@1", "/b@2", "/c@2", "/c@3" } },
        { "a kept connection reset as the next request comes is tried once more",
            [](ScriptServer &s) { s.dropRequestsAfter(1, true); }, { { "/a", 100 }, { "/b", 200 } },
            { "/a@1", "/b@1", "/b@2" } },
        { "a request that fails on its new connection too is not tried a third time",
            [](ScriptServer &s) {
                Script reset;
                reset.reset = true;
                s.route("/reset", reset);
            },
            { { "/a", 100 }, { "/reset", -1 } }, { "/a@1", "/reset@1", "/reset@2" } },
        { "a request whose answer had begun is not sent again",
            [ok](ScriptServer &s) {
                Script cut = pieces({ { ok + "Content-Length: 100\r\n\r\nhalf" } });
                cut.reset = true;
                s.route("/cut", cut);
            },
            { { "/a", 100 }, { "/cut", -1 } }, { "/a@1", "/cut@1" } },
        { "a kept connection on which the server said goodbye is not used",
            [](ScriptServer &s) {
                Script a = ScriptServer::keptAlive(QByteArray(100, 'a'));
                a.closeWhenIdleMs = 50;
                a.goodbye = "HTTP/1.1 408 Request Timeout\r\nContent-Length: 7\r\nConnection: close\r\n\r\ntimeout";
                s.route("/a", a);
            },
            { { "/a", 100 }, { "/b", 200, 300 } }, { "/a@1", "/b@2" } },
    };
    for (const Row &r : rows) {
        ScriptServer server;
        for (const char letter : { 'a', 'b', 'c' })
            server.route(
                QByteArray("/") + letter, ScriptServer::keptAlive(QByteArray(100 * (letter - 'a' + 1), letter)));
        if (r.serve)
            r.serve(server);
        PageFetch fetch;
        fetch.setTimeoutMs(3000);
        for (const Step &step : r.steps) {
            if (step.waitMs > 0)
                QTest::qWait(step.waitMs);
            const FetchOutcome out = runFetch(fetch, server.base() + QString::fromLatin1(step.path));
            EXPECT_EQ(out.bytes, step.bytes)
                << r.name << " " << step.path.constData() << ": " << out.description.toStdString();
            if (step.bytes < 0)
                EXPECT_EQ(out.number, FetchError::IncompletePage) << r.name << ": " << out.description.toStdString();
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
            servers.back()->setHandler([](const QByteArray &path) {
                return ScriptServer::keptAlive(QByteArray(path.mid(1).toInt(), 'p'), 100);
            });
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
        int connections = 0;
        for (int h = 0; h < r.hosts; ++h) {
            EXPECT_LE(servers[h]->tally.mostOpen, r.maxPerHost) << r.name << ", host " << h + 1;
            connections += servers[h]->connections;
        }
        EXPECT_EQ(ScriptServer::allServers().mostOpen, r.mostInAll) << r.name;
        EXPECT_EQ(ScriptServer::allServers().mostAnswering, r.answeringAtOnce) << r.name;
        if (r.connections >= 0)
            EXPECT_EQ(connections, r.connections) << r.name;
    }
}

TEST(KeepAlive, StoppingAndWaiting)
{
    // Channels sharing a pool of one connection to the host, the first busy
    // with a slow page; next fetches once a row has acted. The pool goes first.
    struct Channels {
        std::unique_ptr<PageFetch> next = std::make_unique<PageFetch>();
        std::unique_ptr<PageFetch> other = std::make_unique<PageFetch>();
        std::unique_ptr<PageFetch> busy = std::make_unique<PageFetch>();
        std::unique_ptr<ConnectionPool> pool = std::make_unique<ConnectionPool>();
        QString fast() const { return fetchAddressText(busy->currentAddress()).replace("/slow", "/fast"); }
    };
    struct Row {
        const char *name;
        std::function<void(Channels &)> act;
        int openAfter; // connections the server still has open; -1: not checked
        QStringList requests; // with the page a third channel fetches next
    };
    const QList<Row> rows = {
        { "a fetch stopped half way closes its connection", [](Channels &c) { c.busy->abandon(); }, -1,
            { "/slow@1", "/fast@2" } },
        { "a channel that goes away closes its connection", [](Channels &c) { c.busy.reset(); }, -1,
            { "/slow@1", "/fast@2" } },
        { "a connection idle longer than the idle time is closed",
            [](Channels &c) {
                c.pool->setIdleTimeoutMs(100);
                QSignalSpy(c.busy.get(), &PageFetch::finished).wait(3000);
            },
            0, { "/slow@1", "/fast@2" } },
        { "a stopped channel that waited takes no connection",
            [](Channels &c) {
                c.other->start(c.fast());
                QTest::qWait(50);
                c.other->abandon();
                QSignalSpy(c.busy.get(), &PageFetch::finished).wait(3000);
            },
            1, { "/slow@1", "/fast@1" } },
        { "a channel whose pool goes away while it waits goes on with its own",
            [](Channels &c) {
                QSignalSpy done(c.other.get(), &PageFetch::finished);
                c.other->start(c.fast());
                QTest::qWait(50);
                c.pool.reset();
                EXPECT_TRUE(done.wait(3000)) << "the waiting channel never fetched";
            },
            -1, { "/slow@1", "/fast@2", "/fast@3" } },
    };
    for (const Row &r : rows) {
        ScriptServer server;
        const QByteArray slow = ScriptServer::keptAlive(QByteArray(4000, 's')).pieces[0].bytes;
        server.route("/slow", pieces({ { slow.left(100), 0 }, { slow.mid(100), 400 } }, true));
        server.route("/fast", ScriptServer::keptAlive(QByteArray(10, 'f')));
        auto c = std::make_unique<Channels>();
        c->pool->setMaxPerHost(1);
        for (PageFetch *f : { c->busy.get(), c->other.get(), c->next.get() })
            f->setConnectionPool(c->pool.get());
        c->busy->start(server.base() + "/slow");
        QTest::qWait(100);
        r.act(*c);
        QTest::qWait(50);
        if (r.openAfter >= 0)
            EXPECT_TRUE(QTest::qWaitFor([&] { return server.tally.open == r.openAfter; }, 1000))
                << r.name << ": " << server.tally.open << " open";
        // The next page is whole and right, whatever came before.
        const FetchOutcome out = runFetch(*c->next, server.base() + "/fast", 3000);
        EXPECT_EQ(out.bytes, 10) << r.name << ": " << out.description.toStdString();
        EXPECT_EQ(seen(server), r.requests) << r.name;
        c.reset();
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.tally.open == 0; }, 2000))
            << r.name << ": connections outlive their channels and pool";
    }
}

TEST(KeepAlive, SecureConnectionsAreKeptOnlyForTheTrustTheyWereMadeWith)
{
    ScriptServer server;
    if (!server.useTls())
        GTEST_SKIP() << "no TLS backend";
    server.route("/a", ScriptServer::keptAlive(QByteArray(100, 'a')));
    server.route("/b", ScriptServer::keptAlive(QByteArray(200, 'b')));
    ConnectionPool pool;
    PageFetch lenient; // trusts the test's throw-away certificate
    PageFetch strict;
    lenient.setIgnoreSslErrors(true);
    lenient.setConnectionPool(&pool);
    strict.setConnectionPool(&pool);
    EXPECT_EQ(runFetch(lenient, server.base() + "/a").bytes, 100);
    EXPECT_EQ(runFetch(lenient, server.base() + "/b").bytes, 200);
    EXPECT_EQ(runFetch(strict, server.base() + "/a").number, FetchError::SecureFailure)
        << "a strict channel was lent a connection it would not have trusted";
    EXPECT_EQ(seen(server), QStringList({ "/a@1", "/b@1" }));
}
