#include "fuzz/http_properties.h"
#include "net/fetch_address.h"
#include "net/fetch_error.h"
#include "net/http_response_counter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QList>

namespace {
HttpResponseCounter feedAll(const QList<QByteArray> &pieces)
{
    HttpResponseCounter c;
    for (const QByteArray &p : pieces)
        c.feed(p);
    return c;
}
} // namespace

TEST(HttpCounter, BodyBytesAfterTheBlankLine)
{
    struct Row {
        const char *name;
        QList<QByteArray> pieces;
        qint64 body;
        qint64 length;
    };
    const QList<Row> rows = {
        { "one piece", { "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello" }, 5, 5 },
        { "header and blank line apart", { "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", "\r\n", "hel", "lo" }, 5, 5 },
        { "blank line split in the middle", { "HTTP/1.1 200 OK\r\n\r", "\nabc" }, 3, 0 },
        { "blank line split byte by byte", { "HTTP/1.1 200 OK\r", "\n", "\r", "\n", "x" }, 1, 0 },
        { "no blank line at all", { "garbage without", " any header end" }, 30, 0 },
        { "lower-case length is not read", { "HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\nhello" }, 5, 0 },
        { "length without a space", { "HTTP/1.1 200 OK\r\nContent-Length:5\r\n\r\nhello" }, 5, 0 },
        { "first line naming the length counts",
            { "HTTP/1.1 200 OK\r\nX-Content-Length-Note: 9\r\nContent-Length: 5\r\n\r\nhello" }, 5, 9 },
        { "empty body", { "HTTP/1.1 204 No Content\r\n\r\n" }, 0, 0 },
    };
    for (const Row &r : rows) {
        const HttpResponseCounter c = feedAll(r.pieces);
        EXPECT_EQ(c.bodyBytes(), r.body) << r.name;
        EXPECT_EQ(c.contentLength(), r.length) << r.name;
    }
}

TEST(HttpCounter, HeaderEndFarBeyondSixteenBits)
{
    QByteArray header = "HTTP/1.1 200 OK\r\n";
    while (header.size() < 100000)
        header += "X-Padding: " + QByteArray(60, 'p') + "\r\n";
    header += "Content-Length: 3\r\n\r\n";
    HttpResponseCounter c;
    for (qsizetype i = 0; i < header.size(); i += 1000)
        c.feed(header.mid(i, 1000));
    c.feed("abc");
    EXPECT_TRUE(c.headerDone());
    EXPECT_EQ(c.bodyBytes(), 3);
    EXPECT_EQ(c.contentLength(), 3);
}

TEST(HttpCounter, ProgressTextRounding)
{
    // Halves go to the even neighbour.
    EXPECT_EQ(HttpResponseCounter::progressFor(25, 1000, ""), "Downloaded 25 from 1000 (2%)");
    EXPECT_EQ(HttpResponseCounter::progressFor(35, 1000, ""), "Downloaded 35 from 1000 (4%)");
    // A percentage beyond 16 bits keeps the text it had.
    EXPECT_EQ(HttpResponseCounter::progressFor(1000000, 10, "before"), "before");
}

TEST(HttpCounter, StatusAndLocation)
{
    const HttpResponseCounter c = feedAll({ "HTTP/1.1 302 Found\r\nlocation: /next\r\nContent-Length: 0\r\n\r\n" });
    EXPECT_EQ(c.statusCode(), 302);
    EXPECT_EQ(c.location(), "/next");
    EXPECT_TRUE(c.isRedirect());
    EXPECT_FALSE(feedAll({ "HTTP/1.1 302 Found\r\n\r\n" }).isRedirect()) << "no Location";
    EXPECT_FALSE(feedAll({ "HTTP/1.1 200 OK\r\nLocation: /x\r\n\r\n" }).isRedirect());
}

TEST(HttpCounter, FramingFindsTheEndOfThePage)
{
    using Framing = HttpResponseCounter::Framing;
    struct Row {
        const char *name;
        QList<QByteArray> pieces;
        Framing framing;
        qint64 body;
        bool complete;
        bool wholeAtClose;
        bool malformed = false;
    };
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const QList<Row> rows = {
        { "Content-Length reached", { "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel", "lo" }, Framing::Length, 5,
            true, true },
        { "Content-Length short", { "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel" }, Framing::Length, 3, false,
            false },
        { "bytes beyond Content-Length", { "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhello" }, Framing::Length, 2,
            true, true },
        { "any letter case frames the body", { "HTTP/1.1 200 OK\r\nCONTENT-LENGTH:4\r\n\r\nabcdef" }, Framing::Length,
            4, true, true },
        { "repeated equal lengths", { "HTTP/1.1 200 OK\r\nContent-Length: 3, 3\r\n\r\nabc" }, Framing::Length, 3, true,
            true },
        { "lengths that disagree leave the end to the close",
            { "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcde" }, Framing::UntilClose, 5, false,
            true },
        { "a length that is no number", { "HTTP/1.1 200 OK\r\nContent-Length: -3\r\n\r\nab" }, Framing::UntilClose, 2,
            false, true },
        { "no length", { "HTTP/1.0 200 OK\r\n\r\nabc" }, Framing::UntilClose, 3, false, true },
        { "chunked with extension and trailer", { chunked + "4;x=y\r\nwiki\r\n5\r\npedia\r\n0\r\nTrailer: z\r\n\r\n" },
            Framing::Chunked, 40, true, true },
        { "chunked beats Content-Length",
            { "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nTransfer-Encoding: gzip, "
              "Chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n" },
            Framing::Chunked, 13, true, true },
        { "chunked split byte by byte",
            { chunked, "a", "\r", "\n", "0123456789", "\r", "\n", "0", "\r", "\n", "\r", "\n" }, Framing::Chunked, 20,
            true, true },
        { "chunk size in capitals", { chunked + "A\r\n0123456789\r\n0\r\n\r\n" }, Framing::Chunked, 20, true, true },
        { "last chunk without the final line end", { chunked + "3\r\nabc\r\n0\r\n" }, Framing::Chunked, 11, false,
            true },
        { "chunked cut inside a chunk", { chunked + "10\r\nabc" }, Framing::Chunked, 7, false, false },
        { "bytes after the last chunk", { chunked + "1\r\na\r\n0\r\n\r\nHTTP/1.1 200 OK" }, Framing::Chunked, 11, true,
            true },
        { "other transfer coding", { "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\nzz" }, Framing::UntilClose, 2,
            false, true },
        { "no body on 304", { "HTTP/1.1 304 Not Modified\r\nContent-Length: 50\r\n\r\n" }, Framing::NoBody, 0, true,
            true },
        { "interim answer skipped", { "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok" },
            Framing::Length, 2, true, true },
        { "LF-only header", { "HTTP/1.1 200 OK\nContent-Length: 2\n\nok" }, Framing::Length, 2, true, true },
        { "cut header", { "HTTP/1.1 200 OK\r\nContent-" }, Framing::Unknown, 25, false, false },
        { "no HTTP at all", { "just some bytes" }, Framing::Unknown, 15, false, true },
        { "chunk size that is no number", { chunked + "xyz\r\n" }, Framing::Chunked, 1, false, false, true },
        { "chunk data without its line end", { chunked + "1\r\naZ\r\n" }, Framing::Chunked, 5, false, false, true },
        { "chunk size beyond any page", { chunked + "1000000000000000\r\n" }, Framing::Chunked, 16, false, false,
            true },
    };
    for (const Row &r : rows) {
        const HttpResponseCounter c = feedAll(r.pieces);
        EXPECT_EQ(c.framing(), r.framing) << r.name;
        EXPECT_EQ(c.bodyBytes(), r.body) << r.name;
        EXPECT_EQ(c.isComplete(), r.complete) << r.name;
        EXPECT_EQ(c.wholeAtClose(), r.wholeAtClose) << r.name;
        EXPECT_EQ(c.isMalformed(), r.malformed) << r.name;
    }
    EXPECT_FALSE(HttpResponseCounter().wholeAtClose()) << "no answer at all is no page";
}

TEST(HttpCounter, WhetherTheConnectionCarriesTheNextRequest)
{
    struct Row {
        const char *name;
        QByteArray response;
        bool reusable;
    };
    const QList<Row> rows = {
        { "page by its length", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", true },
        { "page in chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n", true },
        { "answer without a body", "HTTP/1.1 304 Not Modified\r\n\r\n", true },
        { "redirect whose answer is whole", "HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n", true },
        { "HTTP/1.0 that keeps the connection",
            "HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 2\r\n\r\nok", true },
        { "server closes", "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok", false },
        { "close among other options, in capitals",
            "HTTP/1.1 200 OK\r\nconnection: Keep-Alive, CLOSE\r\nContent-Length: 2\r\n\r\nok", false },
        { "HTTP/1.0", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", false },
        { "body until the close", "HTTP/1.1 200 OK\r\n\r\nok", false },
        { "page not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", false },
        { "server error", "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 2\r\n\r\nno", false },
        { "bytes after the answer", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nokHTTP/1.1", false },
        { "bytes after an answer without a body", "HTTP/1.1 204 No Content\r\n\r\nstray", false },
        { "page still arriving", "HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nok", false },
        { "unreadable chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false },
        { "no HTTP at all", "just bytes", false },
    };
    for (const Row &r : rows)
        EXPECT_EQ(feedAll({ r.response }).leavesConnectionReusable(), r.reusable) << r.name;
}

TEST(HttpCounter, AnySplitReadsTheSame)
{
    const QList<QByteArray> responses = {
        "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4;a=b\r\nwiki\r\n5\r\npedia\r\n0\r\nT: 1\r\n\r\nrest",
        "HTTP/1.1 103 Early Hints\r\nLink: x\r\n\r\nHTTP/1.1 302 Found\r\nLocation: /n\r\n\r\n",
        "HTTP/1.1 200 OK\nTransfer-Encoding: chunked\n\n3\nabc\n0\n\n",
        "\r\n\r\nbody",
    };
    for (const QByteArray &r : responses)
        for (unsigned seed = 0; seed < 64; ++seed)
            EXPECT_EQ(HttpProperties::checkCounter(r, seed), QString()) << r.constData();
}

TEST(FetchAddress, HostAndPath)
{
    struct Row {
        const char *name;
        QString address;
        QString host;
        QString path;
        quint16 port;
        bool tls;
    };
    const QList<Row> rows = {
        { "no path", "http://example.com", "example.com", "/", 80, false },
        { "no scheme", "example.com/a/b", "example.com", "/a/b", 80, false },
        { "fragment is left out", "http://h/p#frag", "h", "/p", 80, false },
        { "query stays in the path", "http://h/p?a=1&b=2", "h", "/p?a=1&b=2", 80, false },
        { "host ends at a query", "http://h?a=1", "h", "/?a=1", 80, false },
        { "host ends at a fragment", "http://h#comment-4", "h", "/", 80, false },
        { "spaces around the address", "  http://h/x \r\n", "h", "/x", 80, false },
        { "secure address", "https://h/x", "h", "/x", 443, true },
        { "scheme in capitals", "HTTP://H/X", "H", "/X", 80, false },
        { "port after the host", "http://h:8080/x", "h:8080", "/x", 8080, false },
    };
    for (const Row &r : rows) {
        const FetchAddress a = parseFetchAddress(r.address);
        EXPECT_EQ(a.host, r.host) << r.name;
        EXPECT_EQ(a.path, r.path) << r.name;
        EXPECT_EQ(a.port, r.port) << r.name;
        EXPECT_EQ(a.tls, r.tls) << r.name;
    }
    EXPECT_EQ(parseFetchAddress("http://h:81/x").hostName, "h");
    EXPECT_FALSE(hasUsableHost(parseFetchAddress("http:///x")));
    EXPECT_FALSE(hasUsableHost(parseFetchAddress("http://h\nX-Injected: 1/x")));
    EXPECT_TRUE(hasUsableHost(parseFetchAddress("http://h/x")));
}

TEST(FetchAddress, WhatCannotBeFetchedIsToldBeforeAnyConnection)
{
    struct Row {
        const char *name;
        QString address;
        int number; // 0: fetched
    };
    const QList<Row> rows = {
        { "a host and its port without a scheme", "localhost:8080/t/1", 0 },
        { "a bracketed address with a port", "http://[::1]:8080/t", 0 },
        { "a colon without a port", "http://h:/t", 0 },
        { "another scheme", "ftp://h/t", FetchError::UnsupportedAddress },
        { "a scheme without slashes", "javascript:alert(1)", FetchError::UnsupportedAddress },
        { "a scheme alone", "about:", FetchError::UnsupportedAddress },
        { "a user name and password", "http://me:secret@h/t", FetchError::UnsupportedAddress },
        { "a port above the highest", "http://h:99999/t", FetchError::InvalidPort },
        { "port zero", "h:0/t", FetchError::InvalidPort },
        { "a port that is no number", "https://h:8o8o/t", FetchError::InvalidPort },
        { "no host", "http:///t", FetchError::NoHost },
    };
    for (const Row &r : rows)
        EXPECT_EQ(FetchError::addressFault(r.address, parseFetchAddress(r.address)).number, r.number) << r.name;
    EXPECT_EQ(parseFetchAddress("http://h:/t").port, 80);
}

TEST(FetchAddress, RequestTarget)
{
    struct Row {
        const char *name;
        QByteArray raw;
        QByteArray target;
    };
    const QList<Row> rows = {
        { "plain path and query", "/a/b.php?t=5&p=2", "/a/b.php?t=5&p=2" },
        { "space", "/a b", "/a%20b" },
        { "UTF-8 letters", "/f\xc3\xbcr", "/f%C3%BCr" },
        { "already encoded", "/a%20b%2f", "/a%20b%2f" },
        { "lone percent", "/100%", "/100%25" },
        { "percent without hex digits", "/%zz%4", "/%25zz%254" },
        { "quotes, angle brackets, braces", "/\"<{|}>^`\\", "/%22%3C%7B%7C%7D%3E%5E%60%5C" },
        { "hash", "/a#b", "/a%23b" },
        { "sub-delimiters and colons stay", "/!$&'()*+,;=:@~-._", "/!$&'()*+,;=:@~-._" },
        { "control characters", "/\r\n\t\x7f", "/%0D%0A%09%7F" },
    };
    for (const Row &r : rows) {
        EXPECT_EQ(requestTarget(r.raw), r.target) << r.name;
        EXPECT_EQ(requestTarget(r.target), r.target) << r.name << ": encoding twice changes nothing";
    }
}

TEST(FetchAddress, RequestToTheByte)
{
    EXPECT_EQ(buildRequest(parseFetchAddress("http://example.com")),
        QByteArray("GET / HTTP/1.1\r\nHost: example.com\r\nAccept: */*\r\n"
                   "User-Agent: Postmaven/2.3\r\n\r\n"));
    EXPECT_EQ(buildRequest(parseFetchAddress("http://h/t?id=5#last")),
        QByteArray("GET /t?id=5 HTTP/1.1\r\nHost: h\r\nAccept: */*\r\n"
                   "User-Agent: Postmaven/2.3\r\n\r\n"));
}

TEST(Redirect, WhereALocationLeads)
{
    struct Row {
        const char *name;
        QString from;
        QByteArray location;
        QString host; // empty: refused
        QString hostName;
        quint16 port;
        bool tls;
        QString path;
    };
    const QList<Row> rows = {
        { "absolute path", "http://h:81/a/b?q", "/c", "h:81", "h", 81, false, "/c" },
        { "relative path", "http://h/a/b?q", "c?d", "h", "h", 80, false, "/a/c?d" },
        { "dot segments", "http://h/a/b/c", "../../x/./y/..", "h", "h", 80, false, "/x/" },
        { "dots above the root", "http://h/a", "../../../x", "h", "h", 80, false, "/x" },
        { "query only", "http://h/a/b?q", "?n", "h", "h", 80, false, "/a/b?n" },
        { "fragment only", "http://h/a/b?q", "#top", "h", "h", 80, false, "/a/b?q" },
        { "absolute without a port", "http://h:81/a", "http://h/b", "h", "h", 80, false, "/b" },
        { "absolute with a port", "http://h/a", "http://g:8080/b", "g:8080", "g", 8080, false, "/b" },
        { "secure without a port", "http://h:81/a", "https://g/b", "g", "g", 443, true, "/b" },
        { "network path keeps the scheme", "https://h/a", "//g/b", "g", "g", 443, true, "/b" },
        { "scheme in capitals", "http://h/a", "HTTP://G", "G", "G", 80, false, "/" },
        { "same scheme, no authority", "http://h/a/b", "http:c", "h", "h", 80, false, "/a/c" },
        { "IPv6 literal", "http://h/a", "http://[::1]:82/b", "[::1]:82", "::1", 82, false, "/b" },
        { "spaces and fragment", "http://h/a", " /b c#d ", "h", "h", 80, false, "/b%20c" },
        { "ftp", "http://h/a", "ftp://h/b", "", "", 0, false, "" },
        { "mail", "http://h/a", "mailto:x@y", "", "", 0, false, "" },
        { "script", "http://h/a", "javascript:alert(1)", "", "", 0, false, "" },
        { "user and password", "http://h/a", "http://u:p@g/b", "", "", 0, false, "" },
        { "user only", "http://h/a", "//u@g/b", "", "", 0, false, "" },
        { "secure to insecure", "https://h/a", "http://h/b", "", "", 0, false, "" },
        { "no host", "http://h/a", "http:///b", "", "", 0, false, "" },
        { "other scheme, no authority", "https://h/a", "http:b", "", "", 0, false, "" },
        { "port zero", "http://h/a", "http://g:0/b", "", "", 0, false, "" },
        { "port too large", "http://h/a", "http://g:65536/b", "", "", 0, false, "" },
        { "port that is no number", "http://h/a", "http://g:8o/b", "", "", 0, false, "" },
        { "space in the host", "http://h/a", "http://g h/b", "", "", 0, false, "" },
        { "unclosed IPv6 literal", "http://h/a", "http://[::1/b", "", "", 0, false, "" },
    };
    for (const Row &r : rows) {
        const RedirectTarget t = resolveRedirect(parseFetchAddress(r.from), r.location);
        if (r.host.isEmpty()) {
            EXPECT_FALSE(t.ok) << r.name;
            EXPECT_FALSE(t.refusal.isEmpty()) << r.name;
            continue;
        }
        ASSERT_TRUE(t.ok) << r.name << " " << t.refusal.toStdString();
        EXPECT_EQ(t.next.host, r.host) << r.name;
        EXPECT_EQ(t.next.hostName, r.hostName) << r.name;
        EXPECT_EQ(t.next.port, r.port) << r.name;
        EXPECT_EQ(t.next.tls, r.tls) << r.name;
        EXPECT_EQ(t.next.path, r.path) << r.name;
    }
    // Plain addresses without a port go to the channel's port.
    EXPECT_EQ(resolveRedirect(parseFetchAddress("http://h:81/a"), "http://g/b", 8080).next.port, 8080);
    EXPECT_EQ(resolveRedirect(parseFetchAddress("http://h:81/a"), "/b", 8080).next.port, 81);
}

TEST(HttpFuzz, RegressionInputs)
{
    // Inputs the fuzzer found, and hand-made hostile ones: each must keep
    // the properties the fuzzer checks.
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/http-regressions"));
    const QStringList files = dir.entryList(QDir::Files);
    EXPECT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(HttpProperties::check(f.readAll()), QString()) << name.toStdString();
    }
}
