#include "watch/http_response_counter.h"
#include "watch/page_fetch.h"

#include <gtest/gtest.h>

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

TEST(HttpCounter, ProgressTexts)
{
    HttpResponseCounter c;
    c.feed("HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n");
    EXPECT_EQ(c.progressText(), "") << "not shown in the arrival that ends the header";
    c.feed(QByteArray(500, 'x'));
    EXPECT_EQ(c.progressText(), "Downloaded 500 from 2000 (25%)");
    c.feed(QByteArray(2500, 'x'));
    EXPECT_EQ(c.progressText(), "Downloaded 3000 from 2000 (150%)");

    HttpResponseCounter open;
    open.feed("HTTP/1.1 200 OK\r\n\r\n");
    open.feed("1234567");
    EXPECT_EQ(open.progressText(), "Downloaded 7 bytes");

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
        { "fragment stays in the path", "http://h/p#frag", "h", "/p#frag", 80, false },
        { "query stays in the path", "http://h/p?a=1&b=2", "h", "/p?a=1&b=2", 80, false },
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
}

TEST(FetchAddress, RequestToTheByte)
{
    EXPECT_EQ(buildRequest(parseFetchAddress("http://example.com")),
        QByteArray("GET / HTTP/1.1\r\nHost: example.com\r\nConnection: close\r\nAccept: */*\r\n\r\n"));
    EXPECT_EQ(buildRequest(parseFetchAddress("http://h/t?id=5#last")),
        QByteArray("GET /t?id=5#last HTTP/1.1\r\nHost: h\r\nConnection: close\r\nAccept: */*\r\n\r\n"));
}
