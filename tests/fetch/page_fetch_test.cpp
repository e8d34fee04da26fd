#include "fetch/fetch_helpers.h"
#include "net/fetch_error.h"
#include "net/socket_control.h"
#include "support/script_server.h"

#include <gtest/gtest.h>

#include <QTest>

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

namespace {
using Piece = ScriptServer::Piece;

ScriptServer::Script pieces(std::initializer_list<Piece> list)
{
    ScriptServer::Script s;
    s.pieces = list;
    return s;
}
} // namespace

TEST(PageFetch, RequestToTheByte)
{
    ScriptServer server;
    server.route("", ScriptServer::response("ok"));
    PageFetch fetch;
    fetch.setDefaultPort(server.port());
    struct Row {
        const char *name;
        QString address;
        QByteArray requestLine;
        QByteArray host;
    };
    const QList<Row> rows = {
        { "no path", "http://127.0.0.1", "GET / HTTP/1.1", "127.0.0.1" },
        { "no scheme", "127.0.0.1/a/b.html", "GET /a/b.html HTTP/1.1", "127.0.0.1" },
        { "fragment is not sent", "http://127.0.0.1/t?x=1#last", "GET /t?x=1 HTTP/1.1", "127.0.0.1" },
        { "fragment right after the host", "http://127.0.0.1#comment-4", "GET / HTTP/1.1", "127.0.0.1" },
        { "port in the address", server.base() + "/p", "GET /p HTTP/1.1",
            "127.0.0.1:" + QByteArray::number(server.port()) },
        { "spaces and non-ASCII are encoded", QStringLiteral("http://127.0.0.1/f\u00fcr alle?q=a b"),
            "GET /f%C3%BCr%20alle?q=a%20b HTTP/1.1", "127.0.0.1" },
        { "encoded characters stay as they are", "http://127.0.0.1/a%20b?c=%7E%zz", "GET /a%20b?c=%7E%25zz HTTP/1.1",
            "127.0.0.1" },
    };
    for (const Row &r : rows) {
        server.requests.clear();
        const FetchOutcome out = runFetch(fetch, r.address);
        ASSERT_TRUE(out.finished) << r.name << " " << out.description.toStdString();
        ASSERT_EQ(server.requests.size(), 1) << r.name;
        EXPECT_EQ(server.requests[0],
            r.requestLine + "\r\nHost: " + r.host + "\r\nAccept: */*\r\nUser-Agent: Postmaven/2.3\r\n\r\n")
            << r.name;
        EXPECT_EQ(out.bytes, 2) << r.name;
    }
}

TEST(PageFetch, ResponsesInScriptedPieces)
{
    // Pieces far enough apart that each is an arrival of its own; the status
    // bar's progress text is shown from the arrival after the header's on.
    constexpr int gap = 100;
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 10\r\n\r\n";
    struct Row {
        const char *name;
        ScriptServer::Script script;
        qint64 bytes;
        QStringList progress;
    };
    const QList<Row> rows = {
        { "header and blank line in separate pieces",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n", 0 }, { "\r\n", gap }, { "01234", gap },
                { "56789", gap } }),
            10, { "Downloaded 5 from 10 (50%)", "Downloaded 10 from 10 (100%)" } },
        { "body begun in the arrival that ends the header",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n01234", 0 }, { "56789", gap } }), 10,
            { "Downloaded 10 from 10 (100%)" } },
        { "bytes beyond the length are not counted",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n", 0 }, { QByteArray(500, 'x'), gap },
                { QByteArray(2500, 'x'), gap } }),
            2000, { "Downloaded 500 from 2000 (25%)", "Downloaded 2000 from 2000 (100%)" } },
        { "chunked page counts its framing, beyond the length it names",
            pieces({ { chunked, 0 }, { "a\r\n0123456789\r\n", gap }, { "0\r\n\r\n", gap } }), 20,
            { "Downloaded 15 from 10 (150%)", "Downloaded 20 from 10 (200%)" } },
        { "no blank line at all", pieces({ { "no header here, ", 0 }, { "just bytes", gap } }), 26, {} },
        { "lower-case content length",
            pieces({ { "HTTP/1.1 200 OK\r\ncontent-length: 6\r\n\r\n", 0 }, { "abcdef", gap } }), 6,
            { "Downloaded 6 bytes" } },
        { "Content-Length without a space",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length:6\r\n\r\n", 0 }, { "abcdef", gap } }), 6,
            { "Downloaded 6 bytes" } },
    };
    ScriptServer server;
    PageFetch fetch;
    for (int i = 0; i < rows.size(); ++i) {
        const Row &r = rows[i];
        const QByteArray path = "/row" + QByteArray::number(i);
        server.route(path, r.script);
        const FetchOutcome out = runFetch(fetch, server.base() + QString::fromLatin1(path));
        ASSERT_TRUE(out.finished) << r.name;
        EXPECT_EQ(out.bytes, r.bytes) << r.name;
        EXPECT_EQ(out.progress, r.progress) << r.name;
        using Step = PageFetch::Step;
        ASSERT_FALSE(out.steps.isEmpty());
        EXPECT_EQ(out.steps.first(), Step::Connecting) << r.name;
        EXPECT_TRUE(out.steps.contains(Step::Sending)) << r.name;
        EXPECT_TRUE(out.steps.contains(Step::RequestSent)) << r.name;
        EXPECT_EQ(out.steps.last(), Step::Receiving) << r.name;
    }
}

TEST(PageFetch, RedirectsAreFollowedAndTheLastPageMeasured)
{
    ScriptServer server;
    server.route("/old", ScriptServer::response("moved", "Location: /new?page=2\r\n", 301));
    server.route("/new", ScriptServer::response(QByteArray(1234, 'n')));
    server.route("/loop", ScriptServer::response("again", "Location: /loop\r\n", 302));
    PageFetch fetch;
    FetchOutcome out = runFetch(fetch, server.base() + "/old");
    ASSERT_TRUE(out.finished);
    EXPECT_EQ(out.bytes, 1234);
    ASSERT_EQ(server.requests.size(), 2);
    EXPECT_TRUE(server.requests[1].startsWith("GET /new?page=2 HTTP/1.1\r\n"));

    server.requests.clear();
    out = runFetch(fetch, server.base() + "/loop");
    ASSERT_TRUE(out.failed) << "a redirect loop ends, and its last answer is no page";
    EXPECT_EQ(out.number, FetchError::TooManyRedirects);
    EXPECT_EQ(server.requests.size(), 1 + PageFetch::kMaxRedirects);
}

TEST(PageFetch, FailuresSayWhatHappened)
{
    ScriptServer server;
    ScriptServer::Script silent;
    silent.neverAnswer = true;
    server.route("/silent", silent);
    PageFetch fetch;
    fetch.setTimeoutMs(300);

    FetchOutcome out = runFetch(fetch, server.base() + "/silent");
    EXPECT_TRUE(out.failed);
    EXPECT_FALSE(out.startError);
    EXPECT_EQ(out.number, FetchError::TimedOut);
    EXPECT_TRUE(out.description.contains("did not answer")) << out.description.toStdString();

    out = runFetch(fetch, QStringLiteral("http://127.0.0.1:%1/").arg(closedLoopbackPort()));
    EXPECT_TRUE(out.failed);
    EXPECT_EQ(out.number, FetchError::ConnectionRefused);
    EXPECT_TRUE(out.description.contains("refused"));

    // A name that is not a valid host name is rejected before any look-up.
    out = runFetch(fetch, QStringLiteral("http://no..such..host/"));
    EXPECT_TRUE(out.failed);
    EXPECT_EQ(out.number, FetchError::HostNotFound);
    EXPECT_TRUE(out.description.contains("could not be found"));

    out = runFetch(fetch, QStringLiteral("http:///path-only"));
    EXPECT_TRUE(out.failed);
    EXPECT_TRUE(out.startError);
}

TEST(PageFetch, ANewStartAbandonsTheRunningFetch)
{
    ScriptServer server;
    server.route("/slow", pieces({ { "HTTP/1.1 200 OK\r\n\r\n", 0 }, { "late", 600 } }));
    server.route("/fast", ScriptServer::response("quick!"));
    PageFetch fetch;
    QSignalSpy finished(&fetch, &PageFetch::finished);
    fetch.start(server.base() + "/slow");
    QTest::qWait(100);
    const FetchOutcome out = runFetch(fetch, server.base() + "/fast");
    EXPECT_EQ(out.bytes, 6);
    QTest::qWait(700);
    EXPECT_EQ(finished.size(), 1) << "the abandoned fetch reports nothing";
}

TEST(PageFetch, LargeBodyIsCountedNotKept)
{
    ScriptServer server;
    const QByteArray chunk(1 << 20, 'z');
    ScriptServer::Script s;
    s.pieces.append({ "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(8 * chunk.size()) + "\r\n\r\n", 0 });
    for (int i = 0; i < 8; ++i)
        s.pieces.append({ chunk, 5 });
    server.route("/big", s);
    PageFetch fetch;
    const FetchOutcome out = runFetch(fetch, server.base() + "/big", 30000);
    ASSERT_TRUE(out.finished);
    EXPECT_EQ(out.bytes, 8 << 20);
    EXPECT_EQ(out.progress.last(), "Downloaded 8388608 from 8388608 (100%)");
}

TEST(PageFetch, SecurePagesOverTls)
{
    QFile certFile(QStringLiteral(TEST_DATA_DIR "/tls/cert.pem"));
    QFile keyFile(QStringLiteral(TEST_DATA_DIR "/tls/key.pem"));
    ASSERT_TRUE(certFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    if (!QSslSocket::supportsSsl())
        GTEST_SKIP() << "no TLS backend";
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(QSslCertificate(certFile.readAll()));
    config.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa));
    QSslServer server;
    server.setSslConfiguration(config);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QByteArray request;
    QObject::connect(&server, &QTcpServer::pendingConnectionAvailable, [&] {
        auto *socket = static_cast<QSslSocket *>(server.nextPendingConnection());
        QObject::connect(socket, &QSslSocket::readyRead, socket, [socket, &request] {
            request += socket->readAll();
            if (request.contains("\r\n\r\n")) {
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nsecret!");
                socket->disconnectFromHost();
            }
        });
    });
    PageFetch fetch;
    fetch.setIgnoreSslErrors(true);
    const FetchOutcome out = runFetch(fetch, QStringLiteral("https://localhost:%1/secure").arg(server.serverPort()));
    ASSERT_TRUE(out.finished) << out.description.toStdString();
    EXPECT_EQ(out.bytes, 7);
    EXPECT_TRUE(request.startsWith("GET /secure HTTP/1.1\r\nHost: localhost:"));

    // Without trust in the throw-away certificate the fetch fails and says why.
    PageFetch strict;
    const FetchOutcome refused
        = runFetch(strict, QStringLiteral("https://localhost:%1/secure").arg(server.serverPort()));
    EXPECT_TRUE(refused.failed);
    EXPECT_EQ(refused.number, FetchError::SecureFailure);
}
