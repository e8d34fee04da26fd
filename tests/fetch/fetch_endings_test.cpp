// Every fetch ends: with the size of a whole page, or with a failure that
// says why. Hostile and careless servers run on loopback.
#include "fetch/fetch_helpers.h"
#include "net/fetch_error.h"
#include "net/socket_control.h"
#include "support/script_server.h"

#include <gtest/gtest.h>

namespace {
using Piece = ScriptServer::Piece;
using Script = ScriptServer::Script;

Script pieces(std::initializer_list<Piece> list, bool keepOpen = false)
{
    Script s;
    s.pieces = list;
    s.keepOpen = keepOpen;
    return s;
}

Script ended(Script s, bool reset)
{
    s.reset = reset;
    return s;
}

// What a row expects: the size of a page, or a failure's number.
struct Expect {
    qint64 bytes = -1;
    int failure = 0;
};
Expect size(qint64 bytes)
{
    return { bytes, 0 };
}
Expect failure(int number)
{
    return { -1, number };
}

void expectOutcome(const FetchOutcome &out, const Expect &e, const char *name)
{
    if (e.failure == 0) {
        EXPECT_TRUE(out.finished) << name << ": " << out.number << " " << out.description.toStdString();
        EXPECT_FALSE(out.failed) << name;
        EXPECT_EQ(out.bytes, e.bytes) << name;
    } else {
        EXPECT_FALSE(out.finished) << name << ": measured " << out.bytes;
        EXPECT_TRUE(out.failed) << name;
        EXPECT_FALSE(out.startError) << name;
        EXPECT_EQ(out.number, e.failure) << name << ": " << out.description.toStdString();
    }
}

const QByteArray kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
// The chunked body below, as it travels: its measured size counts all of it.
const QByteArray kChunkedBody = "5\r\nhello\r\n7;note=x\r\n, world\r\n0\r\n\r\n";
const QByteArray kWithTrailer = "3\r\nabc\r\n0\r\nX-Check: 1\r\n\r\n";
const QByteArray kBareLf = "3\nabc\n0\n\n";

} // namespace

TEST(PageFetch, EveryEndingOfAResponse)
{
    struct Row {
        const char *name;
        Script script;
        Expect expect;
    };
    const QList<Row> rows = {
        // A whole page is counted when it is complete, open connection or not.
        { "Content-Length page left open",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\n", 0 }, { "twelve bytes", 30 } }, true),
            size(12) },
        { "Content-Length page in one piece left open",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", 0 } }, true), size(5) },
        { "lower-case content-length left open",
            pieces({ { "HTTP/1.1 200 OK\r\ncontent-length: 6\r\n\r\nabcdef", 0 } }, true), size(6) },
        { "empty page left open", pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 0 } }, true), size(0) },
        { "204 answer left open", pieces({ { "HTTP/1.1 204 No Content\r\n\r\n", 0 } }, true), size(0) },
        { "bytes after the Content-Length body are not counted",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA", 0 } }, true), size(5) },
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
                       { "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\npage", 30 } },
                true),
            size(4) },
        { "bytes that are no HTTP answer", pieces({ { "no header here, ", 0 }, { "just bytes", 30 } }), size(26) },
        // A page cut short is never a size.
        { "body shorter than Content-Length, closed",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n", 0 }, { QByteArray(500, 'x'), 30 } }),
            failure(FetchError::IncompletePage) },
        { "body shorter than Content-Length, reset",
            ended(pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n", 0 }, { QByteArray(500, 'x'), 30 },
                      { "", 100 } }),
                true),
            failure(FetchError::IncompletePage) },
        { "chunked page without its last chunk, closed", pieces({ { kChunked + "5\r\nhello\r\n", 0 } }),
            failure(FetchError::IncompletePage) },
        { "chunked page cut inside a chunk, reset",
            ended(pieces({ { kChunked + "100\r\nhello", 0 }, { "", 100 } }), true),
            failure(FetchError::IncompletePage) },
        { "header cut off", pieces({ { "HTTP/1.1 200 OK\r\nContent-Le", 0 } }), failure(FetchError::IncompletePage) },
        { "connection closed without an answer", pieces({}), failure(FetchError::IncompletePage) },
        { "chunk size that is no number", pieces({ { kChunked + "zz\r\nhello\r\n0\r\n\r\n", 0 } }),
            failure(FetchError::MalformedResponse) },
    };
    ScriptServer server;
    PageFetch fetch;
    // Only a guard: a row that hangs fails here instead of waiting for ever.
    fetch.setTimeoutMs(3000);
    for (int i = 0; i < rows.size(); ++i) {
        const QByteArray path = "/row" + QByteArray::number(i);
        server.route(path, rows[i].script);
        expectOutcome(runFetch(fetch, server.base() + QString::fromLatin1(path)), rows[i].expect, rows[i].name);
    }
}

TEST(PageFetch, CutPageKeepsItsProgressText)
{
    ScriptServer server;
    server.route(
        "/short", pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n", 0 }, { QByteArray(500, 'x'), 40 } }));
    PageFetch fetch;
    const FetchOutcome out = runFetch(fetch, server.base() + "/short");
    ASSERT_TRUE(out.failed);
    EXPECT_EQ(out.description, "Incomplete page: the connection closed before the page was complete.");
    EXPECT_EQ(out.progress.last(), "Downloaded 500 from 2000 (25%)");
}

TEST(PageFetch, LimitsEndEveryFetch)
{
    constexpr qint64 limit = 256 * 1024;
    struct Row {
        const char *name;
        Script script;
        Expect expect;
    };
    Script trickle = pieces({ { "HTTP/1.1 200 OK\r\n\r\n", 0 } });
    trickle.repeat = "x";
    trickle.repeatEveryMs = 50;
    Script endless = pieces({ { "HTTP/1.1 200 OK\r\n\r\n", 0 } });
    endless.repeat = QByteArray(64 * 1024, 'e');
    Script endlessChunks = pieces({ { kChunked, 0 } });
    endlessChunks.repeat = "10000\r\n" + QByteArray(0x10000, 'c') + "\r\n";
    Script endlessHeader = pieces({ { "HTTP/1.1 200 OK\r\n", 0 } });
    endlessHeader.repeat = "X-Padding: " + QByteArray(64 * 1024, 'p') + "\r\n";
    const QList<Row> rows = {
        { "server trickling a byte at a time", trickle, failure(FetchError::DeadlinePassed) },
        { "endless body", endless, failure(FetchError::PageTooLarge) },
        { "endless chunked body", endlessChunks, failure(FetchError::PageTooLarge) },
        { "endless header", endlessHeader, failure(FetchError::PageTooLarge) },
        { "declared length above the limit",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 10000000000\r\n\r\n", 0 } }, true),
            failure(FetchError::PageTooLarge) },
        { "page exactly at the limit", ScriptServer::response(QByteArray(limit, 'l')), size(limit) },
    };
    ScriptServer server;
    PageFetch fetch;
    fetch.setTimeoutMs(5000);
    fetch.setDeadlineMs(600);
    fetch.setMaxBodyBytes(limit);
    for (int i = 0; i < rows.size(); ++i) {
        const QByteArray path = "/row" + QByteArray::number(i);
        server.route(path, rows[i].script);
        expectOutcome(runFetch(fetch, server.base() + QString::fromLatin1(path)), rows[i].expect, rows[i].name);
    }

    server.route("/slow", trickle);
    const FetchOutcome out = runFetch(fetch, server.base() + "/slow");
    EXPECT_EQ(out.description, "The page did not arrive within 0.6 seconds.");
    server.route("/big", endless);
    EXPECT_EQ(runFetch(fetch, server.base() + "/big").description,
        "The page is larger than 262144 bytes, the most that is measured.");
}

TEST(PageFetch, TlsCloseNotifyEndsTheResponse)
{
    ScriptServer server;
    if (!server.useTls())
        GTEST_SKIP() << "no TLS backend";
    struct Row {
        const char *name;
        Script script;
        Expect expect;
    };
    Script closeDelimited = pieces({ { "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", 0 }, { "secret page", 30 } });
    closeDelimited.closeNotifyOnly = true;
    Script cut = pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", 0 }, { "secret", 30 } });
    cut.closeNotifyOnly = true;
    const QList<Row> rows = {
        { "page that ends with close_notify", closeDelimited, size(11) },
        { "page cut by close_notify", cut, failure(FetchError::IncompletePage) },
        { "Content-Length page over TLS left open",
            pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nsecret!", 0 } }, true), size(7) },
    };
    PageFetch fetch;
    fetch.setIgnoreSslErrors(true);
    fetch.setTimeoutMs(3000);
    for (int i = 0; i < rows.size(); ++i) {
        const QByteArray path = "/row" + QByteArray::number(i);
        server.route(path, rows[i].script);
        expectOutcome(runFetch(fetch, server.base() + QString::fromLatin1(path)), rows[i].expect, rows[i].name);
    }
}
