// Redirects on loopback: how many are followed, where they lead, and which
// are refused.
#include "fetch/fetch_helpers.h"
#include "net/fetch_error.h"
#include "support/script_server.h"

#include <gtest/gtest.h>

namespace {
ScriptServer::Script redirectTo(const QByteArray &location, int status = 302)
{
    return ScriptServer::response("moved", "Location: " + location + "\r\n", status);
}

QByteArray requestPath(const QByteArray &request)
{
    return request.mid(4, request.indexOf(' ', 4) - 4);
}
} // namespace

TEST(PageFetch, FiveRedirectsAreFollowedASixthFails)
{
    // /hop/N redirects to /hop/N-1; /hop/0 is the page.
    ScriptServer server;
    server.setHandler([](const QByteArray &path) {
        const int n = path.mid(5).toInt();
        if (n == 0)
            return ScriptServer::response(QByteArray(1234, 'p'));
        return redirectTo("/hop/" + QByteArray::number(n - 1), n % 2 ? 301 : 307);
    });
    PageFetch fetch;
    FetchOutcome out = runFetch(fetch, server.base() + "/hop/5");
    ASSERT_TRUE(out.finished) << out.description.toStdString();
    EXPECT_EQ(out.bytes, 1234);
    EXPECT_EQ(server.requests.size(), 6);

    server.requests.clear();
    out = runFetch(fetch, server.base() + "/hop/6");
    EXPECT_FALSE(out.finished) << "the sixth redirect's own page is not a size: " << out.bytes;
    ASSERT_TRUE(out.failed);
    EXPECT_EQ(out.number, FetchError::TooManyRedirects);
    EXPECT_TRUE(out.description.contains("too many redirects")) << out.description.toStdString();
    EXPECT_EQ(server.requests.size(), 6);
}

TEST(PageFetch, WhereRedirectsLead)
{
    ScriptServer other; // stands on the channel's port for plain addresses
    other.route("", ScriptServer::response("other"));
    ScriptServer server;
    const QByteArray self = "127.0.0.1:" + QByteArray::number(server.port());
    struct Row {
        const char *name;
        QByteArray location;
        qint64 bytes; // -1: refused as an unsupported redirect
        QByteArray servedBy; // "self" or "other"
        QByteArray requestPath;
    };
    const QList<Row> rows = {
        { "relative Location keeps host and port", "page?x=1", 4, "self", "/dir/page?x=1" },
        { "absolute Location with a port", "http://" + self + "/page", 4, "self", "/page" },
        { "absolute Location without a port uses the default port", "http://127.0.0.1/page", 5, "other", "/page" },
        { "network-path Location without a port", "//127.0.0.1/page", 5, "other", "/page" },
        { "fragment and spaces of a Location", "/page two#part", 4, "self", "/page%20two" },
        { "ftp Location", "ftp://127.0.0.1/page", -1, "", "" },
        { "mail Location", "mailto:someone@example.com", -1, "", "" },
        { "user and password in a Location", "http://user:secret@" + self + "/page", -1, "", "" },
        { "Location without a host", "http:///page", -1, "", "" },
    };
    PageFetch fetch;
    fetch.setDefaultPort(other.port());
    for (const Row &r : rows) {
        server.setHandler([&r](const QByteArray &path) {
            if (path.startsWith("/dir/start"))
                return redirectTo(r.location);
            return ScriptServer::response("page");
        });
        server.requests.clear();
        other.requests.clear();
        const FetchOutcome out = runFetch(fetch, server.base() + "/dir/start");
        if (r.bytes < 0) {
            EXPECT_TRUE(out.failed) << r.name;
            EXPECT_EQ(out.number, FetchError::UnsupportedRedirect) << r.name << " " << out.description.toStdString();
            EXPECT_TRUE(out.description.contains("unsupported redirect")) << r.name;
            EXPECT_EQ(server.requests.size() + other.requests.size(), 1) << r.name;
            continue;
        }
        EXPECT_TRUE(out.finished) << r.name << " " << out.description.toStdString();
        EXPECT_EQ(out.bytes, r.bytes) << r.name;
        const ScriptServer &served = r.servedBy == "self" ? server : other;
        EXPECT_EQ(served.requests.isEmpty() ? QByteArray() : requestPath(served.requests.last()), r.requestPath)
            << r.name;
    }
}

TEST(PageFetch, SecurePageNeverRedirectsToAnInsecureOne)
{
    ScriptServer plain;
    plain.route("", ScriptServer::response("plain"));
    ScriptServer secure;
    if (!secure.useTls())
        GTEST_SKIP() << "no TLS backend";
    secure.route("/down", redirectTo(plain.base().toLatin1() + "/page"));
    secure.route("/same", redirectTo("/page"));
    secure.route("/page", ScriptServer::response("secure"));
    PageFetch fetch;
    fetch.setIgnoreSslErrors(true);
    FetchOutcome out = runFetch(fetch, secure.base() + "/down");
    EXPECT_TRUE(out.failed);
    EXPECT_EQ(out.number, FetchError::UnsupportedRedirect) << out.description.toStdString();
    EXPECT_TRUE(plain.requests.isEmpty());

    out = runFetch(fetch, secure.base() + "/same");
    ASSERT_TRUE(out.finished) << out.description.toStdString();
    EXPECT_EQ(out.bytes, 6);
}
