// Threads spread over several pages, served on loopback as forum and blog
// software pages them: the check adds up every page of a watched thread.
#include "fetch/fetch_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// One thread of a forum, with the pages its software would show.
struct ForumThread {
    // How the software writes the address of page n.
    enum class Style {
        Page, // /t/5?page=2, written "?page=2"
        Start, // /viewtopic.php?f=2&t=5&start=3, written with &amp;
        Cpage, // /t/5?cpage=2, page 1 as ?cpage=1 too, written as whole addresses
        CommentPage, // /2024/05/post-5/comment-page-2/#comments
        RelNext, // /index.php?topic=5.3: only rel="next" leads on
    };
    enum class Order {
        OldestFirst, // the thread's address is page 1; new replies go last
        NewestFirst, // the thread's address shows the newest replies; every page shifts
        LastPageFirst, // pages in order, the thread's address shows the last page
    };

    Style style = Style::Page;
    Order order = Order::OldestFirst;
    int perPage = 3;
    int replies = 0;
    bool nextLoops = false; // the last page's rel="next" leads back to page 1 and to itself
    QByteArray origin; // "http://127.0.0.1:PORT"

    int pageCount() const { return std::max(1, (replies + perPage - 1) / perPage); }

    QByteArray address(int thread = 5) const
    {
        const QByteArray t = QByteArray::number(thread);
        switch (style) {
        case Style::Page:
        case Style::Cpage:
            return "/t/" + t;
        case Style::Start:
            return "/viewtopic.php?f=2&t=" + t;
        case Style::CommentPage:
            return "/2024/05/post-" + t + "/";
        case Style::RelNext:
            return "/index.php?topic=" + t + ".0";
        }
        return {};
    }

    // The path of page n.
    QByteArray pagePath(int n, int thread = 5) const
    {
        const QByteArray a = address(thread);
        const QByteArray num = QByteArray::number(n);
        if (n == 1 && style != Style::Cpage && order != Order::LastPageFirst)
            return a;
        switch (style) {
        case Style::Page:
            return a + "?page=" + num;
        case Style::Start:
            return a + "&start=" + QByteArray::number((n - 1) * perPage);
        case Style::Cpage:
            return a + "?cpage=" + num;
        case Style::CommentPage:
            return a + "comment-page-" + num + "/";
        case Style::RelNext:
            return "/index.php?topic=" + QByteArray::number(thread) + "." + QByteArray::number((n - 1) * perPage);
        }
        return {};
    }

    // Page n as its links write it.
    QByteArray href(int n, int thread = 5) const
    {
        const QByteArray path = pagePath(n, thread);
        switch (style) {
        case Style::Page:
            return path.mid(path.indexOf('?') >= 0 ? path.indexOf('?') : 0);
        case Style::Start:
            return "." + QByteArray(path).replace("&", "&amp;");
        case Style::Cpage:
            return origin + path;
        case Style::CommentPage:
            return path + "#comments";
        default:
            return path;
        }
    }

    // How the pages link page m: the thread's address is the only address of
    // the page it shows.
    QByteArray link(int m) const { return order == Order::LastPageFirst && m == pageCount() ? address() : href(m); }

    // Which page a request path shows: 0 for none of this thread's pages.
    int pageAt(const QByteArray &path) const
    {
        if (path == address())
            return order == Order::LastPageFirst ? pageCount() : 1;
        for (int n = 1; n <= 99; ++n)
            if (path == pagePath(n))
                return n;
        return 0;
    }

    QByteArray render(int n) const
    {
        const int count = pageCount();
        QByteArray page = "<!DOCTYPE html><html><head><title>Thread 5, page " + QByteArray::number(n) + "</title>\n";
        if (n < count || nextLoops) {
            const QByteArray next = n < count ? link(n + 1) : address();
            page += "<link rel=\"next\" href=\"" + next + "\">\n";
        }
        page += "<link rel=\"stylesheet\" href=\"/style.css\">\n";
        // Pages a reader never sees as links.
        page += "<script>var bait = '<a href=\"" + href(97) + "\">';</script>\n</head><body>\n";
        page += "<noscript><a href=\"" + href(98) + "\">all pages</a></noscript>\n";
        page += "<!-- <a href=\"" + href(99) + "\">old pages</a> -->\n";
        QList<int> shown;
        const int first = (n - 1) * perPage;
        for (int i = first; i < std::min(first + perPage, replies); ++i)
            shown.append(order == Order::NewestFirst ? replies - 1 - i : i);
        for (const int i : shown) {
            // A reply of 600 bytes as forums show one: author, date, text, buttons.
            const QByteArray n = QByteArray::number(i);
            QByteArray reply = "<div class=\"reply\" id=\"r" + n + "\"><div class=\"author\">user" + n
                + "</div><div class=\"date\">posted on day " + n + "</div><p>Reply " + n + ": ";
            const QByteArray end = "</p><div class=\"buttons\">Quote Reply</div></div>\n";
            reply += QByteArray(600 - reply.size() - end.size(), 'x') + end;
            page += reply;
        }
        page += "<div class=\"nav\">";
        QList<int> nav { 1, n - 2, n - 1, n + 1, n + 2, count };
        std::sort(nav.begin(), nav.end());
        nav.erase(std::unique(nav.begin(), nav.end()), nav.end());
        for (const int m : nav) {
            if (m < 1 || m > count || m == n)
                continue;
            // The rel-next style's plain page links are not followed; its rel="next" links are.
            page += "<a class=\"page\" href=\"" + link(m) + "\">" + QByteArray::number(m) + "</a> ";
        }
        if (n < count)
            page += "<a rel=\"next\" href=\"" + link(n + 1) + "\">Next</a>";
        else if (nextLoops)
            page += "<a rel=\"next\" href=\"" + link(n) + "\">Next</a>";
        page += "</div>\n<div class=\"related\"><a href=\"" + QByteArray(pagePath(2, 6)).replace("&", "&amp;")
            + "\">another thread</a> <a href=\"" + QByteArray(origin).replace("127.0.0.1", "localhost") + pagePath(2)
            + "\">this thread under another host name</a> <a href=\"/t/5/reply?page=2\">reply</a> <a rel=\"next\" "
              "href=\""
            + address(6) + "\">next thread</a></div>\n</body></html>\n";
        return page;
    }
};

// A loopback server for one thread. It notes every request for something
// that is not one of the thread's pages.
struct Forum {
    ScriptServer server;
    ForumThread thread;
    QStringList strays;
    QList<QByteArray> served; // the paths of the thread's pages, in order
    QByteArray cutPath; // this page is cut short
    bool chunked = false; // sent in chunks of 7 bytes, which split every tag

    explicit Forum(
        ForumThread::Style style = ForumThread::Style::Page, ForumThread::Order order = ForumThread::Order::OldestFirst)
    {
        thread.style = style;
        thread.order = order;
        thread.origin = server.base().toLatin1();
        server.setHandler([this](const QByteArray &path) { return serve(path); });
    }

    ScriptServer::Script serve(const QByteArray &path)
    {
        const QByteArray &request = server.requests.last();
        if (!request.contains("Host: 127.0.0.1:"))
            strays.append(QString::fromLatin1(request.left(request.indexOf('\r'))));
        const int n = thread.pageAt(path);
        if (n == 0 || n > thread.pageCount()) {
            strays.append(QString::fromLatin1(path));
            return ScriptServer::response("no such page", {}, 404);
        }
        const QByteArray body = thread.render(n);
        served.append(path);
        if (path == cutPath)
            return pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n"
                + body.left(100) } });
        if (!chunked)
            return ScriptServer::response(body);
        QByteArray r = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        for (qsizetype i = 0; i < body.size(); i += 7) {
            const QByteArray piece = body.mid(i, 7);
            r += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
        }
        return pieces({ { r + "0\r\n\r\n" } });
    }

    QString url(const QByteArray &path) const { return server.base() + QString::fromLatin1(path); }
    QString threadUrl() const { return url(thread.address()); }
    qint64 pageBytes(int n) const { return thread.render(n).size(); }
};

// The program closed and started again: the lists go through their files.
void restart(WatchedPostsModel &posts)
{
    posts.load(posts.postsFileText().split("\r\n"), posts.sizesFileText().split("\r\n"));
}

} // namespace

TEST(PagedThreads, EveryStyleOfPageLinks)
{
    // Which links are pages of a thread: ThreadLinks. Here, the pages
    // they lead to are measured, each once, whatever else a page links.
    using Style = ForumThread::Style;
    struct Row {
        const char *name;
        Style style;
        int replies; // three a page
        int pagesMeasured;
        int fetches;
        qint64 lastPage;
        bool chunked = false; // sent in chunks of 7 bytes, which split every tag
        bool nextLoops = false;
    };
    const QList<Row> rows = {
        { "query page, relative links", Style::Page, 7, 3, 3, 3 },
        { "query start offset beside other parameters, &amp; in links", Style::Start, 7, 3, 3, 6 },
        { "cpage with page 1 numbered too, served at both addresses: one page", Style::Cpage, 7, 3, 4, 3 },
        { "rel next from page to page", Style::RelNext, 7, 3, 3, 6 },
        { "rel next sent in chunks", Style::RelNext, 7, 3, 3, 6, true },
        { "rel next whose last page leads back to the first", Style::RelNext, 7, 3, 3, 6, false, true },
        { "a thread of one page is one fetch", Style::Page, 2, 1, 1, -1 },
    };
    for (const Row &r : rows) {
        Forum f(r.style);
        f.chunked = r.chunked;
        f.thread.nextLoops = r.nextLoops;
        f.thread.replies = r.replies;
        ThreadChecker w;
        ASSERT_TRUE(w.watch(f.threadUrl())) << r.name;
        EXPECT_EQ(w.posts.at(0).pages, r.pagesMeasured) << r.name;
        EXPECT_EQ(f.served.size(), r.fetches) << r.name;
        EXPECT_EQ(w.posts.at(0).lastPage, r.lastPage) << r.name;
        qint64 sum = 0;
        for (int n = 1; n <= r.pagesMeasured; ++n)
            sum += f.pageBytes(n);
        if (!r.chunked)
            EXPECT_EQ(w.posts.at(0).size, sum) << r.name;
        EXPECT_TRUE(w.dialogs.boxes.isEmpty()) << r.name;

        f.served.clear();
        EXPECT_EQ(w.check(), QStringList()) << r.name << ": nothing changed";
        EXPECT_EQ(f.served.size(), r.fetches) << r.name << ": the check fetches what the watch did";
        ++f.thread.replies; // on the last page
        EXPECT_EQ(w.check(), QStringList({ f.threadUrl() })) << r.name << ": a reply on the last page";
        ASSERT_EQ(w.run.checkedPosts().size(), 1) << r.name;
        EXPECT_EQ(w.run.checkedPosts()[0].size.pages, r.pagesMeasured) << r.name;
        EXPECT_EQ(f.strays, QStringList()) << r.name;
    }
}

TEST(PagedThreads, BothOrdersAndAThreadThatGainsAPage)
{
    using Order = ForumThread::Order;
    struct Row {
        const char *name;
        Order order;
        int before;
        int after;
    };
    const QList<Row> rows = {
        { "oldest first, a reply on the last page", Order::OldestFirst, 7, 8 },
        { "newest first, every page shifts", Order::NewestFirst, 7, 8 },
        { "oldest first, one page gains a second", Order::OldestFirst, 3, 4 },
        { "newest first, one page gains a second", Order::NewestFirst, 3, 4 },
        { "oldest first, two pages gain a third", Order::OldestFirst, 6, 7 },
        { "newest first, two pages gain a third", Order::NewestFirst, 6, 7 },
        { "pages in order shown last first, a reply on the last page", Order::LastPageFirst, 7, 8 },
        // The watched page, the last, starts anew much smaller.
        { "pages in order shown last first, the last page rolls over", Order::LastPageFirst, 6, 7 },
    };
    for (const Row &r : rows) {
        Forum f(ForumThread::Style::CommentPage, r.order);
        f.thread.replies = r.before;
        ThreadChecker w;
        ASSERT_TRUE(w.watch(f.threadUrl())) << r.name;
        EXPECT_EQ(w.posts.at(0).pages, f.thread.pageCount()) << r.name;
        restart(w.posts);
        EXPECT_EQ(w.check(), QStringList()) << r.name << ": nothing changed";
        restart(w.posts);
        f.thread.replies = r.after;
        EXPECT_EQ(w.check(), QStringList({ f.threadUrl() })) << r.name;
        EXPECT_EQ(w.run.checkedPosts().value(0).size.pages, f.thread.pageCount()) << r.name;
        EXPECT_EQ(w.check(), QStringList({ f.threadUrl() })) << r.name << ": listed until watched again";
        ASSERT_TRUE(w.watch(f.threadUrl())) << r.name;
        EXPECT_EQ(w.check(), QStringList()) << r.name << ": watched again";
        EXPECT_EQ(f.strays, QStringList()) << r.name;
    }
}

TEST(PagedThreads, MoreThanFiftyPages)
{
    Forum f;
    f.thread.replies = 180; // sixty pages, each linking the first, the last and two on either side
    ThreadChecker w;
    ASSERT_TRUE(w.watch(f.threadUrl()));
    EXPECT_EQ(w.posts.at(0).pages, ThreadMeasurement::kMaxPages);
    EXPECT_EQ(f.served.size(), ThreadMeasurement::kMaxPages);
    EXPECT_TRUE(f.served.contains(f.thread.pagePath(60))) << "the last page is among those measured";
    EXPECT_EQ(w.posts.at(0).lastPage, 60);

    f.served.clear();
    EXPECT_EQ(w.check(), QStringList()) << "nothing changed";
    EXPECT_EQ(f.served.size(), ThreadMeasurement::kMaxPages);
    EXPECT_TRUE(w.run.checkedPosts()[0].size.capped);

    f.thread.replies = 181; // page 61 takes the place of a full page among the fifty
    EXPECT_EQ(w.check(), QStringList({ f.threadUrl() })) << "a new last page";
    ASSERT_TRUE(w.watch(f.threadUrl()));
    EXPECT_EQ(w.check(), QStringList()) << "watched again";
    f.thread.replies = 182; // on page 61
    EXPECT_EQ(w.check(), QStringList({ f.threadUrl() })) << "a reply on the last page";
    EXPECT_EQ(f.strays, QStringList());
}

TEST(PagedThreads, AFailedPageMeansThePostCouldNotBeChecked)
{
    Forum f;
    f.thread.replies = 7;
    Forum other;
    other.thread.replies = 4;
    ThreadChecker w;
    ASSERT_TRUE(w.watch(f.threadUrl()));
    ASSERT_TRUE(w.watch(other.threadUrl()));
    const std::optional<qint64> recorded = w.posts.at(0).size;

    f.thread.replies = 8;
    other.thread.replies = 5;
    f.cutPath = "/t/5?page=2";
    EXPECT_EQ(w.check(), QStringList({ other.threadUrl() })) << "the run goes on with the next post";
    ASSERT_EQ(w.run.failures().size(), 1);
    EXPECT_EQ(w.run.failures()[0].address, f.threadUrl());
    EXPECT_TRUE(w.run.failures()[0].description.contains("page 2 of the thread"))
        << w.run.failures()[0].description.toStdString();
    EXPECT_EQ(w.posts.at(0).size, recorded);

    // Watch This Post on it shows the error and records nothing.
    ASSERT_TRUE(w.watch(f.threadUrl()));
    ASSERT_EQ(w.dialogs.boxes.size(), 1);
    EXPECT_TRUE(w.dialogs.boxes[0].text.startsWith("Error occurred.\r\nError #: 10903\r\n"));
    EXPECT_EQ(w.posts.at(0).size, recorded);
}

TEST(PagedThreads, SizesRecordedByAnOlderVersion)
{
    // Those versions recorded the watched page alone, as a plain number.
    Forum f;
    f.thread.replies = 7;
    Forum grown;
    grown.thread.replies = 7;
    ThreadChecker w;
    w.posts.add(f.threadUrl(), QString::number(f.pageBytes(1)));
    w.posts.add(grown.threadUrl(), QString::number(grown.pageBytes(1) - 501));
    QSignalSpy recorded(&w.run, &ReplyCheckRun::sizeRecorded);

    EXPECT_EQ(w.check(), QStringList({ grown.threadUrl() }))
        << "only the watched page compares with such a number: its other pages are no new replies";
    EXPECT_EQ(recorded.size(), 1);
    EXPECT_EQ(w.posts.at(0).pages, 3) << "measured as a whole thread from now on";
    EXPECT_EQ(w.posts.at(0).size, f.pageBytes(1) + f.pageBytes(2) + f.pageBytes(3));
    EXPECT_EQ(w.posts.at(1).pages, 0) << "a post listed keeps its size until watched again";
    EXPECT_EQ(w.posts.at(1).size, grown.pageBytes(1) - 501);
    EXPECT_EQ(w.posts.sizesFileText().split("\r\n", Qt::SkipEmptyParts).first(),
        QStringLiteral("%1 pages=3 last=3").arg(*w.posts.at(0).size));

    f.thread.replies = 8;
    EXPECT_EQ(w.check(), QStringList({ f.threadUrl(), grown.threadUrl() })) << "a reply on page 3 counts now";
}
