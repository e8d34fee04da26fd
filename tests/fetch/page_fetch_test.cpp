// PageFetch against loopback servers, careless and hostile ones too: the
// request it sends, how every answer ends, redirects, limits and TLS. Every
// fetch ends, with the size of a whole page or a failure that says why.
#include "fetch/fetch_helpers.h"
#include "net/fetch_error.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {
using Script = ScriptServer::Script;

// What a row expects: the size of a page, or a failure's number and words.
struct Expect {
    qint64 bytes = -1;
    int failure = 0;
    const char *said = "";
};
Expect size(qint64 bytes)
{
    return { bytes };
}
Expect failure(int number, const char *said = "")
{
    return { -1, number, said };
}

void expectOutcome(const FetchOutcome &out, const Expect &e, const char *name)
{
    EXPECT_EQ(out.finished, e.failure == 0) << name << ": " << out.number << " " << out.description.toStdString();
    EXPECT_EQ(out.failed, e.failure != 0) << name << ": measured " << out.bytes;
    EXPECT_EQ(out.bytes, e.bytes) << name;
    EXPECT_EQ(out.number, e.failure) << name << ": " << out.description.toStdString();
    EXPECT_TRUE(out.description.contains(QLatin1String(e.said))) << name << ": " << out.description.toStdString();
}

struct ScriptRow {
    const char *name;
    Script script;
    Expect expect;
};

// Each row's script at a path of its own, fetched.
void expectScripts(const QList<ScriptRow> &rows, PageFetch &fetch, ScriptServer &server)
{
    for (int i = 0; i < rows.size(); ++i) {
        const QByteArray path = "/row" + QByteArray::number(i);
        server.route(path, rows[i].script);
        expectOutcome(runFetch(fetch, server.base() + QString::fromLatin1(path)), rows[i].expect, rows[i].name);
    }
}

Script redirectTo(const QByteArray &location, int status = 302)
{
    return ScriptServer::response("moved", "Location: " + location + "\r\n", status);
}

const QByteArray kOk = "HTTP/1.1 200 OK\r\n";
const QByteArray kChunked = kOk + "Transfer-Encoding: chunked\r\n\r\n";
// The chunked body below, as it travels: its measured size counts all of it.
const QByteArray kChunkedBody = "5\r\nhello\r\n7;note=x\r\n, world\r\n0\r\n\r\n";
const QByteArray kWithTrailer = "3\r\nabc\r\n0\r\nX-Check: 1\r\n\r\n";
const QByteArray kBareLf = "3\nabc\n0\n\n";
const QByteArray kShort = kOk + "Content-Length: 2000\r\n\r\n";

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
        { "no scheme, the channel's port", "127.0.0.1/a/b.html", "GET /a/b.html HTTP/1.1", "127.0.0.1" },
        { "port, fragment, spaces and non-ASCII", server.base() + QStringLiteral("/f\u00fcr alle?q=a b#last"),
            "GET /f%C3%BCr%20alle?q=a%20b HTTP/1.1", "127.0.0.1:" + QByteArray::number(server.port()) },
    };
    using Step = PageFetch::Step;
    for (const Row &r : rows) {
        server.requests.clear();
        const FetchOutcome out = runFetch(fetch, r.address);
        EXPECT_EQ(out.bytes, 2) << r.name << " " << out.description.toStdString();
        EXPECT_EQ(server.requests,
            QList<QByteArray> {
                r.requestLine + "\r\nHost: " + r.host + "\r\nAccept: */*\r\nUser-Agent: Postmaven/2.3\r\n\r\n" })
            << r.name;
        EXPECT_EQ(out.steps.value(0), Step::Connecting) << r.name;
        EXPECT_TRUE(out.steps.contains(Step::Sending) && out.steps.contains(Step::RequestSent)) << r.name;
        EXPECT_EQ(out.steps.last(), Step::Receiving) << r.name;
    }
}

TEST(PageFetch, EveryEndingOfAResponse)
{
    const QByteArray chunk(1 << 20, 'z');
    Script big = pieces({ { kOk + "Content-Length: " + QByteArray::number(8 * chunk.size()) + "\r\n\r\n", 0 } });
    for (int i = 0; i < 8; ++i)
        big.pieces.append({ chunk, 5 });
    const QList<ScriptRow> rows = {
        // A whole page is counted when it is complete, open connection or not.
        { "Content-Length page left open",
            pieces({ { kOk + "Content-Length: 12\r\n\r\n", 0 }, { "twelve bytes", 30 } }, true), size(12) },
        { "header and blank line in separate pieces",
            pieces({ { kOk + "Content-Length: 10\r\n", 0 }, { "\r\n", 40 }, { "01234", 40 }, { "56789", 40 } }),
            size(10) },
        { "lower-case content-length left open", pieces({ { kOk + "content-length: 6\r\n\r\nabcdef", 0 } }, true),
            size(6) },
        { "empty page left open", pieces({ { kOk + "Content-Length: 0\r\n\r\n", 0 } }, true), size(0) },
        { "204 answer left open", pieces({ { "HTTP/1.1 204 No Content\r\n\r\n", 0 } }, true), size(0) },
        { "bytes after the Content-Length body are not counted",
            pieces({ { kOk + "Content-Length: 5\r\n\r\nhelloEXTRA", 0 } }, true), size(5) },
        { "chunked page left open",
            pieces({ { kChunked, 0 }, { kChunkedBody.left(10), 30 }, { kChunkedBody.mid(10), 30 } }, true),
            size(kChunkedBody.size()) },
        { "chunked page with a trailer left open", pieces({ { kChunked + kWithTrailer, 0 } }, true),
            size(kWithTrailer.size()) },
        { "chunked page closed after the last chunk", pieces({ { kChunked + kChunkedBody, 0 } }),
            size(kChunkedBody.size()) },
        { "chunked page with LF line ends left open", pieces({ { kChunked + kBareLf, 0 } }, true),
            size(kBareLf.size()) },
        { "interim answer before the page",
            pieces({ { "HTTP/1.1 103 Early Hints\r\nLink: </a.css>\r\n\r\n", 0 },
                       { kOk + "Content-Length: 4\r\n\r\npage", 30 } },
                true),
            size(4) },
        { "bytes that are no HTTP answer", pieces({ { "no header here, ", 0 }, { "just bytes", 30 } }), size(26) },
        { "8 MiB in pieces, counted as they come", big, size(8 << 20) },
        // A page cut short is never a size.
        { "body shorter than Content-Length, closed", pieces({ { kShort, 0 }, { QByteArray(500, 'x'), 30 } }),
            failure(
                FetchError::IncompletePage, "Incomplete page: the connection closed before the page was complete.") },
        { "body shorter than Content-Length, reset",
            [] {
                Script s = pieces({ { kShort, 0 }, { QByteArray(500, 'x'), 30 }, { "", 100 } });
                s.reset = true;
                return s;
            }(),
            failure(FetchError::IncompletePage) },
        { "chunked page without its last chunk, closed", pieces({ { kChunked + "5\r\nhello\r\n", 0 } }),
            failure(FetchError::IncompletePage) },
        { "chunked page cut inside a chunk, reset",
            [] {
                Script s = pieces({ { kChunked + "100\r\nhello", 0 }, { "", 100 } });
                s.reset = true;
                return s;
            }(),
            failure(FetchError::IncompletePage) },
        { "header cut off", pieces({ { kOk + "Content-Le", 0 } }), failure(FetchError::IncompletePage) },
        { "connection closed without an answer", pieces({}), failure(FetchError::IncompletePage) },
        { "chunk size that is no number", pieces({ { kChunked + "zz\r\nhello\r\n0\r\n\r\n", 0 } }),
            failure(FetchError::MalformedResponse) },
    };
    ScriptServer server;
    PageFetch fetch;
    // Only a guard: a row that hangs fails here instead of waiting for ever.
    fetch.setTimeoutMs(3000);
    expectScripts(rows, fetch, server);
}

TEST(PageFetch, ProgressFromTheArrivalAfterTheHeader)
{
    // Pieces far enough apart to arrive one by one.
    constexpr int gap = 100;
    struct Row {
        const char *name;
        Script script;
        QStringList progress;
    };
    const QList<Row> rows = {
        { "header and blank line in separate pieces",
            pieces({ { kOk + "Content-Length: 10\r\n", 0 }, { "\r\n", gap }, { "01234", gap }, { "56789", gap } }),
            { "Downloaded 5 from 10 (50%)", "Downloaded 10 from 10 (100%)" } },
        { "body begun in the arrival that ends the header",
            pieces({ { kOk + "Content-Length: 10\r\n\r\n01234", 0 }, { "56789", gap } }),
            { "Downloaded 10 from 10 (100%)" } },
        { "bytes beyond the length are not counted",
            pieces({ { kShort, 0 }, { QByteArray(500, 'x'), gap }, { QByteArray(2500, 'x'), gap } }),
            { "Downloaded 500 from 2000 (25%)", "Downloaded 2000 from 2000 (100%)" } },
        { "chunked page counts its framing, beyond the length it names",
            pieces({ { kOk + "Transfer-Encoding: chunked\r\nContent-Length: 10\r\n\r\n", 0 },
                { "a\r\n0123456789\r\n", gap }, { "0\r\n\r\n", gap } }),
            { "Downloaded 15 from 10 (150%)", "Downloaded 20 from 10 (200%)" } },
        { "lower-case content-length", pieces({ { kOk + "content-length: 6\r\n\r\n", 0 }, { "abcdef", gap } }),
            { "Downloaded 6 bytes" } },
        { "bytes that are no HTTP answer", pieces({ { "no header here, ", 0 }, { "just bytes", gap } }), {} },
    };
    ScriptServer server;
    PageFetch fetch;
    for (int i = 0; i < rows.size(); ++i) {
        const QByteArray path = "/row" + QByteArray::number(i);
        server.route(path, rows[i].script);
        const FetchOutcome out = runFetch(fetch, server.base() + QString::fromLatin1(path));
        EXPECT_TRUE(out.finished) << rows[i].name;
        EXPECT_EQ(out.progress, rows[i].progress) << rows[i].name;
    }
}

TEST(PageFetch, LimitsEndEveryFetch)
{
    constexpr qint64 limit = 256 * 1024;
    Script trickle = pieces({ { kOk + "\r\n", 0 } });
    trickle.repeat = "x";
    trickle.repeatEveryMs = 50;
    Script endless = pieces({ { kOk + "\r\n", 0 } });
    endless.repeat = QByteArray(64 * 1024, 'e');
    Script endlessChunks = pieces({ { kChunked, 0 } });
    endlessChunks.repeat = "10000\r\n" + QByteArray(0x10000, 'c') + "\r\n";
    Script endlessHeader = pieces({ { kOk, 0 } });
    endlessHeader.repeat = "X-Padding: " + QByteArray(64 * 1024, 'p') + "\r\n";
    const QList<ScriptRow> rows = {
        { "server trickling a byte at a time", trickle,
            failure(FetchError::DeadlinePassed, "The page did not arrive within 0.6 seconds.") },
        { "endless body", endless,
            failure(FetchError::PageTooLarge, "The page is larger than 262144 bytes, the most that is measured.") },
        { "endless chunked body", endlessChunks, failure(FetchError::PageTooLarge) },
        { "endless header", endlessHeader, failure(FetchError::PageTooLarge) },
        { "declared length above the limit", pieces({ { kOk + "Content-Length: 10000000000\r\n\r\n", 0 } }, true),
            failure(FetchError::PageTooLarge) },
        { "page exactly at the limit", ScriptServer::response(QByteArray(limit, 'l')), size(limit) },
    };
    ScriptServer server;
    PageFetch fetch;
    fetch.setTimeoutMs(5000);
    fetch.setDeadlineMs(600);
    fetch.setMaxBodyBytes(limit);
    expectScripts(rows, fetch, server);
}

TEST(PageFetch, FailuresSayWhatHappened)
{
    ScriptServer server;
    ScriptServer::Script silent;
    silent.neverAnswer = true;
    server.route("/silent", silent);
    server.route("/short", pieces({ { kShort, 0 }, { QByteArray(500, 'x'), 40 } }));
    struct Row {
        const char *name;
        QString address;
        Expect expect;
        bool startError = false;
    };
    const QList<Row> rows = {
        { "a server that never answers", server.base() + "/silent", failure(FetchError::TimedOut, "did not answer") },
        { "nobody listening", deadAddress(), failure(FetchError::ConnectionRefused, "refused") },
        // A name that is not a valid host name is rejected before any look-up.
        { "no such host", "http://no..such..host/", failure(FetchError::HostNotFound, "could not be found") },
        { "no host at all", "http:///path-only", failure(FetchError::NoHost), true },
    };
    PageFetch fetch;
    fetch.setTimeoutMs(300);
    for (const Row &r : rows) {
        const FetchOutcome out = runFetch(fetch, r.address);
        expectOutcome(out, r.expect, r.name);
        EXPECT_EQ(out.startError, r.startError) << r.name;
    }
    EXPECT_EQ(runFetch(fetch, server.base() + "/short").progress, QStringList({ "Downloaded 500 from 2000 (25%)" }))
        << "a page cut short keeps the progress it made";
}

TEST(PageFetch, ANewStartAbandonsTheRunningFetch)
{
    ScriptServer server;
    server.route("/slow", pieces({ { kOk + "\r\n", 0 }, { "late", 600 } }));
    server.route("/fast", ScriptServer::response("quick!"));
    PageFetch fetch;
    QSignalSpy finished(&fetch, &PageFetch::finished);
    fetch.start(server.base() + "/slow");
    QTest::qWait(100);
    EXPECT_EQ(runFetch(fetch, server.base() + "/fast").bytes, 6);
    QTest::qWait(700);
    EXPECT_EQ(finished.size(), 1) << "the abandoned fetch reports nothing";
}

TEST(PageFetch, Redirects)
{
    ScriptServer other; // stands on the channel's port for addresses without one
    other.route("", ScriptServer::response("other"));
    ScriptServer server;
    QByteArray location; // where /dir/start sends the reader
    // /hop/N is sent on to /hop/N-1; /hop/0 is the page.
    server.setHandler([&location](const QByteArray &path) {
        const int hop = path.startsWith("/hop/") ? path.mid(5).toInt() : 0;
        if (path == "/dir/start")
            return redirectTo(location);
        return hop > 0 ? redirectTo("/hop/" + QByteArray::number(hop - 1), hop % 2 ? 301 : 307)
                       : ScriptServer::response(QByteArray(1234, 'p'));
    });
    struct Row {
        const char *name;
        QByteArray path;
        QByteArray location;
        Expect expect;
        bool byOther; // the last request went to the channel's port
        QList<QByteArray> requests;
    };
    const QList<Row> rows = {
        { "five are followed", "/hop/5", "", size(1234), false,
            { "/hop/5", "/hop/4", "/hop/3", "/hop/2", "/hop/1", "/hop/0" } },
        { "a sixth fails: its own page is no size", "/hop/6", "",
            failure(FetchError::TooManyRedirects, "too many redirects"), false,
            { "/hop/6", "/hop/5", "/hop/4", "/hop/3", "/hop/2", "/hop/1" } },
        { "a relative Location keeps host and port", "/dir/start", "page?x=1#part", size(1234), false,
            { "/dir/start", "/dir/page?x=1" } },
        { "an address without a port goes to the channel's port", "/dir/start", "http://127.0.0.1/page", size(5), true,
            { "/page" } },
        { "an address that cannot be fetched is refused", "/dir/start", "ftp://127.0.0.1/page",
            failure(FetchError::UnsupportedRedirect, "unsupported redirect"), false, { "/dir/start" } },
    };
    PageFetch fetch;
    fetch.setDefaultPort(other.port());
    for (const Row &r : rows) {
        location = r.location;
        server.requests.clear();
        other.requests.clear();
        expectOutcome(runFetch(fetch, server.base() + QString::fromLatin1(r.path)), r.expect, r.name);
        EXPECT_EQ((r.byOther ? other : server).paths(), r.requests) << r.name;
        if (r.byOther)
            EXPECT_EQ(server.paths(), QList<QByteArray> { r.path }) << r.name;
        else
            EXPECT_TRUE(other.requests.isEmpty()) << r.name;
    }
}

TEST(PageFetch, SecurePagesOverTls)
{
    ScriptServer plain;
    plain.route("", ScriptServer::response("plain"));
    ScriptServer server;
    if (!server.useTls())
        GTEST_SKIP() << "no TLS backend";
    Script closeDelimited = pieces({ { kOk + "Connection: close\r\n\r\n", 0 }, { "secret page", 30 } });
    closeDelimited.closeNotifyOnly = true;
    Script cut = pieces({ { kOk + "Content-Length: 100\r\n\r\n", 0 }, { "secret", 30 } });
    cut.closeNotifyOnly = true;
    const QList<ScriptRow> rows = {
        { "Content-Length page left open", pieces({ { kOk + "Content-Length: 7\r\n\r\nsecret!", 0 } }, true), size(7) },
        { "page that ends with close_notify", closeDelimited, size(11) },
        { "page cut by close_notify", cut, failure(FetchError::IncompletePage) },
        { "a redirect on the secure host", redirectTo("/row0"), size(7) },
        { "a redirect to a plain page", redirectTo(plain.base().toLatin1() + "/page"),
            failure(FetchError::UnsupportedRedirect) },
    };
    PageFetch fetch;
    fetch.setIgnoreSslErrors(true);
    fetch.setTimeoutMs(3000);
    expectScripts(rows, fetch, server);
    EXPECT_TRUE(plain.requests.isEmpty());

    // Without trust in the throw-away certificate the fetch fails and says why.
    PageFetch strict;
    EXPECT_EQ(runFetch(strict, server.base() + "/row0").number, FetchError::SecureFailure);
}
