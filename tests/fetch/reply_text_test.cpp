// The reply check on threads shaped like a classic forum's: every post shows
// its author, an online mark, the author's post count, a relative time, its
// text and buttons; pagination at the top and the foot, a view counter, a
// users-online box, an advert and form tokens. Noise must never list a
// thread; a reply, however short, must.
#include "fetch/fetch_helpers.h"

#include <gtest/gtest.h>

namespace {

struct Post {
    QByteArray author;
    QByteArray text;
    int minutesAgo = 0;
    bool online = false;
};

// One thread of a forum with 10 posts a page, written as the software writes it.
struct ClassicForum {
    // How page n > 1 is addressed, and how links write page 1.
    enum class Pages {
        Query, // ?page=n; page 1 linked as ?page=1, served as it is
        QueryRedirected, // ?page=n; ?page=1 sends the reader on to the bare address
        QueryPastTheEnd, // ?page=n; a "newest" link past the last page sends the reader on to the last
        Start, // &start=10 and so on; page 1 linked with start=0
        CountedFromZero, // ?page=n-1; page 1 is the bare address
        NextOnly, // ?pagenum=n, reached by rel="next" alone
    };

    ScriptServer server;
    Pages style = Pages::Query;
    QList<Post> posts;
    QList<QByteArray> online { "bob", "alice" }; // the users-online box
    int views = 1200;
    bool rotating = false; // tokens and the advert change on every fetch
    QByteArray failing; // this page answers failStatus with failBody
    int failStatus = 503;
    QByteArray failBody = "<p>Busy</p>";
    int threadStatus = 200; // what the thread's pages answer with: some software sends its pages as 404
    int fetches = 0;

    static constexpr int kPerPage = 10;

    explicit ClassicForum(int count, Pages pages = Pages::Query)
        : style(pages)
    {
        static const QList<QByteArray> authors { "bob", "alice", "carol", "dave", "erin", "frank", "grace" };
        for (int i = 0; i < count; ++i)
            posts.append({ authors[i % authors.size()],
                "Post " + QByteArray::number(i) + ": I tried the second setting and it " + QByteArray(i % 4, '!')
                    + " still fails on my machine.",
                5 + i * 3, false });
        server.setHandler([this](const QByteArray &path) { return serve(path); });
    }

    int pageCount() const { return std::max<int>(1, static_cast<int>((posts.size() + kPerPage - 1) / kPerPage)); }
    QString url() const { return server.base() + QLatin1String("/t/5"); }

    QByteArray href(int n) const
    {
        const QByteArray num = QByteArray::number(n);
        switch (style) {
        case Pages::Query:
        case Pages::QueryRedirected:
        case Pages::QueryPastTheEnd:
            return "/t/5?page=" + num;
        case Pages::Start:
            return "/t/5?start=" + QByteArray::number((n - 1) * kPerPage);
        case Pages::CountedFromZero:
            return n == 1 ? "/t/5" : "/t/5?page=" + QByteArray::number(n - 1);
        case Pages::NextOnly:
            return n == 1 ? "/t/5" : "/t/5?pagenum=" + num;
        }
        return {};
    }

    ScriptServer::Script serve(const QByteArray &path)
    {
        ++fetches;
        if (style == Pages::QueryRedirected && path == href(1))
            return ScriptServer::response({}, "Location: /t/5\r\n", 301);
        if (style == Pages::QueryPastTheEnd && path == href(pageCount() + 1))
            return ScriptServer::response({}, "Location: " + href(pageCount()) + "\r\n", 302);
        int n = path == "/t/5" ? 1 : 0;
        for (int k = 1; k <= pageCount() + 1 && n == 0; ++k)
            if (path == href(k))
                n = k;
        if (n == 0 || n > pageCount())
            return ScriptServer::response("<p>No such page</p>", {}, 404);
        if (path == failing)
            return ScriptServer::response(failBody, {}, failStatus);
        return ScriptServer::response(render(n), {}, threadStatus);
    }

    static QByteArray ago(int minutes)
    {
        if (minutes < 60)
            return QByteArray::number(minutes) + " minutes ago";
        if (minutes < 24 * 60)
            return QByteArray::number(minutes / 60) + " hours ago";
        return QByteArray::number(minutes / (24 * 60)) + " days ago";
    }

    QByteArray pagination(int n) const
    {
        if (style == Pages::NextOnly)
            return n < pageCount()
                ? "<div class=\"pages\"><a rel=\"next\" href=\"" + href(n + 1) + "\">Next</a></div>\n"
                : QByteArray();
        QByteArray nav
            = "<div class=\"pages\">Page " + QByteArray::number(n) + " of " + QByteArray::number(pageCount()) + ": ";
        for (int k = 1; k <= pageCount(); ++k)
            nav += k == n ? "<b>" + QByteArray::number(k) + "</b> "
                          : "<a href=\"" + href(k) + "\">" + QByteArray::number(k) + "</a> ";
        if (n < pageCount())
            nav += "<a rel=\"next\" href=\"" + href(n + 1) + "\">Next &raquo;</a>";
        if (style == Pages::QueryPastTheEnd)
            nav += " <a href=\"" + href(pageCount() + 1) + "\">Newest</a>";
        return nav + "</div>\n";
    }

    QByteArray render(int n) const
    {
        const QByteArray token = "tok" + QByteArray::number(rotating ? fetches * 7919 : 42);
        static const QList<QByteArray> adverts { "Cheap hosting for your forum", "Learn to play the guitar in a week",
            "Shoes" };
        const QByteArray advert = adverts[rotating ? fetches % adverts.size() : 0];
        QByteArray page = "<!DOCTYPE html><html><head><title>Help with the second setting - page "
            + QByteArray::number(n) + "</title>\n<script>var csrf = '" + token
            + "'; document.write('<p>x</p>');</script>\n<style>.post { margin: 0 }</style></head>\n<body>\n"
              "<div class=\"crumbs\"><a href=\"/\">Forums</a> &raquo; <a href=\"/f/2\">Help</a></div>\n"
              "<h1>Help with the second setting</h1><div class=\"stats\">Views: "
            + QByteArray::number(views) + "</div>\n" + pagination(n) + "<div class=\"ad\"><a href=\"/ad?t=" + token
            + "\"><img src=\"/ad.png\" alt=\"" + advert + "\"></a> <span>" + advert + "</span></div>\n";
        for (int i = (n - 1) * kPerPage; i < std::min<int>(n * kPerPage, static_cast<int>(posts.size())); ++i) {
            const Post &p = posts[i];
            int count = 0;
            for (const Post &q : posts)
                count += q.author == p.author;
            const QByteArray id = QByteArray::number(i);
            page += "<div class=\"post\" id=\"p" + id + "\"><div class=\"who\"><a href=\"/u/" + p.author + "\">"
                + p.author + "</a><div class=\"mark\">" + (p.online ? "online" : "offline")
                + "</div><div>Posts: " + QByteArray::number(count) + "</div></div>\n<div class=\"when\">"
                + ago(p.minutesAgo) + "</div><div class=\"text\">" + p.text
                + "</div>\n<div class=\"buttons\"><a href=\"/reply?quote=" + id + "\">Quote</a> <a href=\"/report/" + id
                + "\">Report</a><form action=\"/like\"><input type=\"hidden\" name=\"t\" value=\"" + token
                + "\"><button>Like</button></form></div></div>\n";
        }
        page += pagination(n) + "<div class=\"online\">Users online: ";
        for (const QByteArray &name : online)
            page += "<a href=\"/u/" + name + "\">" + name + "</a>, ";
        page += "</div>\n<form action=\"/post\"><input type=\"hidden\" name=\"csrf\" value=\"" + token
            + "\"><textarea name=\"message\"></textarea><input type=\"submit\" value=\"Post reply\"></form>\n"
              "<div class=\"foot\">Powered by a forum &copy; 2024</div></body></html>\n";
        return page;
    }

    void reply(const QByteArray &text, int at = -1)
    {
        const Post post { "newcomer", text, 1, true };
        if (at < 0)
            posts.append(post);
        else
            posts.insert(at, post);
    }
};

// The text a check found added to the first thread it lists.
QString added(const ThreadChecker &c)
{
    return c.run.newReplyTexts().isEmpty() ? QString() : c.run.newReplyTexts()[0].added;
}

} // namespace

TEST(ReplyText, NoiseIsNoNews)
{
    struct Row {
        const char *name;
        std::function<void(ClassicForum &)> change;
        int posts = 50;
    };
    const QList<Row> rows = {
        { "online marks flip on 50 posts",
            [](ClassicForum &f) {
                for (Post &p : f.posts)
                    p.online = !p.online;
            } },
        { "relative times change on every post",
            [](ClassicForum &f) {
                for (Post &p : f.posts)
                    p.minutesAgo += 97;
            } },
        { "the users-online box gains 20 names",
            [](ClassicForum &f) {
                for (int i = 0; i < 20; ++i)
                    f.online.append("reader" + QByteArray::number(i));
            } },
        { "tokens and the advert change on every fetch", [](ClassicForum &f) { f.rotating = true; } },
        { "the view counter goes up", [](ClassicForum &f) { f.views += 317; } },
        { "a post deleted from page 1 moves one post of every later page",
            [](ClassicForum &f) { f.posts.removeAt(3); } },
        { "a short thread's host answers with its proxy's error page",
            [](ClassicForum &f) {
                f.failing = "/t/5";
                f.failBody = "<html><body>\n";
                for (const char *line : { "Connection timed out", "Error code 522",
                         "Visit the proxy's site for more information.", "2024-05-02 12:00:07 UTC", "You", "Browser",
                         "Working", "Amsterdam", "Proxy", "Working", "forum.example", "Host", "Error", "What happened?",
                         "The initial connection between the proxy and the web server timed out.", "What can I do?",
                         "If you're a visitor of this website:", "Please try again in a few minutes.",
                         "If you're the owner of this website:",
                         "Contact your hosting provider letting them know your web server is not completing requests.",
                         "Additional troubleshooting information.", "Ray ID: 7d2f4e1a9b3c", "Your IP: Click to reveal",
                         "Performance and security by a proxy" })
                    f.failBody += "<p>" + QByteArray(line) + "</p>\n";
                f.failBody += "</body></html>\n";
                f.failStatus = 522;
            },
            1 },
    };
    for (const Row &r : rows) {
        ClassicForum forum(r.posts);
        ThreadChecker c;
        ASSERT_TRUE(c.watch(forum.url())) << r.name;
        EXPECT_EQ(c.posts.at(0).pages, forum.pageCount()) << r.name << ": page 1, linked as ?page=1 too, is one page";
        r.change(forum);
        EXPECT_EQ(c.check(), QStringList()) << r.name << ": " << added(c).toStdString();
        r.change(forum);
        EXPECT_EQ(c.check(), QStringList()) << r.name << ", twice: noise never adds up" << added(c).toStdString();
    }
}

TEST(ReplyText, RepliesAreNewsAndShowTheirText)
{
    const QByteArray longReply = "I had the same trouble last week. " + QByteArray(560, 'w').replace("wwwww", "word ");
    struct Row {
        const char *name;
        int posts;
        ClassicForum::Pages pages;
        bool sizeOnly; // measured by the version before: the size of its pages, and no text
        std::function<void(ClassicForum &)> before; // a change checked first, that is no news
        std::function<void(ClassicForum &)> change;
        QByteArray shown; // in the text added
    };
    using Pages = ClassicForum::Pages;
    const QList<Row> rows = {
        { "a reply of 600 bytes", 50, Pages::Query, false, nullptr, [&](ClassicForum &f) { f.reply(longReply); },
            "I had the same trouble last week." },
        { "a reply of 20 characters that opens a new page", 50, Pages::Query, false, nullptr,
            [](ClassicForum &f) { f.reply("Thanks, that worked!"); }, "Thanks, that worked!" },
        { "a reply on page 2 of 3 while page 1 flips its online marks", 25, Pages::Query, false, nullptr,
            [](ClassicForum &f) {
                f.reply("Thanks, that worked!", 12);
                for (int i = 0; i < 10; ++i)
                    f.posts[i].online = !f.posts[i].online;
            },
            "Thanks, that worked!" },
        { "a reply after the thread shrank", 50, Pages::Query, true, [](ClassicForum &f) { f.posts.remove(30, 12); },
            [](ClassicForum &f) { f.reply("Thanks, that worked!"); }, "Thanks, that worked!" },
        { "a reply in a thread its forum sends with status 404", 5, Pages::CountedFromZero, false,
            [](ClassicForum &f) { f.threadStatus = 404; }, [](ClassicForum &f) { f.reply("Thanks, that worked!"); },
            "Thanks, that worked!" },
        { "a reply on page 51, reached by rel=\"next\" alone", 500, Pages::NextOnly, false, nullptr,
            [](ClassicForum &f) { f.reply("Thanks, that worked!"); }, "A new page after the 50 checked" },
    };
    for (const Row &r : rows) {
        ClassicForum forum(r.posts, r.pages);
        ThreadChecker c;
        qint64 sum = 0;
        for (int n = 1; n <= forum.pageCount(); ++n)
            sum += forum.render(n).size();
        if (r.sizeOnly)
            c.posts.add(forum.url(), QStringLiteral("%1 pages=%2 last=%2").arg(sum).arg(forum.pageCount()));
        else
            ASSERT_TRUE(c.watch(forum.url())) << r.name;
        if (r.before) {
            r.before(forum);
            EXPECT_EQ(c.check(), QStringList()) << r.name << ": before";
        }
        r.change(forum);
        EXPECT_EQ(c.check(), QStringList({ forum.url() })) << r.name;
        EXPECT_TRUE(added(c).contains(QString::fromUtf8(r.shown))) << r.name << ": " << added(c).toStdString();
        EXPECT_EQ(c.check(), QStringList({ forum.url() })) << r.name << ": listed until watched again";
    }
}

TEST(ReplyText, EachPageCountsOnceHoweverItIsLinked)
{
    using Pages = ClassicForum::Pages;
    struct Row {
        const char *name;
        Pages pages;
        int fetches;
    };
    const QList<Row> rows = {
        { "?page=1 served as it is", Pages::Query, 6 },
        { "?page=1 sent on to the bare address", Pages::QueryRedirected, 7 },
        { "a link past the last page sent on to the last page", Pages::QueryPastTheEnd, 8 },
        { "start=0", Pages::Start, 6 },
        { "pages counted from 0: ?page=1 is the second page", Pages::CountedFromZero, 5 },
    };
    for (const Row &r : rows) {
        ClassicForum forum(50, r.pages);
        ThreadChecker c;
        ASSERT_TRUE(c.watch(forum.url())) << r.name;
        EXPECT_EQ(forum.fetches, r.fetches) << r.name;
        EXPECT_EQ(c.posts.at(0).pages, 5) << r.name;
        qint64 sum = 0;
        for (int n = 1; n <= 5; ++n)
            sum += forum.render(n).size();
        EXPECT_EQ(c.posts.at(0).size, sum) << r.name << ": each page once";
    }
}

TEST(ReplyText, ALaterPageThatIsNoPageMeansThePostCouldNotBeChecked)
{
    struct Row {
        const char *name;
        QByteArray path;
        int status;
        bool fails;
    };
    const QList<Row> rows = {
        { "503 on page 2", "/t/5?page=2", 503, true },
        { "404 on page 3", "/t/5?page=3", 404, true },
        { "the watched page itself answers 500: measured as it always was", "/t/5", 500, false },
    };
    for (const Row &r : rows) {
        ClassicForum forum(25);
        ThreadChecker c;
        ASSERT_TRUE(c.watch(forum.url())) << r.name;
        forum.failing = r.path;
        forum.failStatus = r.status;
        EXPECT_EQ(c.check(), QStringList()) << r.name;
        ASSERT_EQ(c.run.failures().size(), r.fails ? 1 : 0) << r.name;
        if (r.fails) {
            const QString why = c.run.failures()[0].description;
            EXPECT_TRUE(why.contains(QString::number(r.status)) && why.contains(forum.server.base() + r.path))
                << r.name << ": " << why.toStdString();
        }
        forum.failing.clear();
        EXPECT_EQ(c.check(), QStringList()) << r.name << ": the answer was not taken for the thread";
        forum.reply("Thanks, that worked!");
        EXPECT_EQ(c.check(), QStringList({ forum.url() })) << r.name;
    }
}

// A post holding a pasted log of many short lines, each its own.
static QByteArray pastedLog(int post, qint64 bytes)
{
    QByteArray log;
    for (int n = 0; log.size() < bytes; ++n)
        log += "<br>post " + QByteArray::number(post) + " step " + QByteArray::number(n) + " passed";
    return log;
}

// Pages with more text than is kept: the start is compared, and what moves
// across the cut as the text before it changes length is never news.
TEST(ReplyText, TextBeyondTheCapIsNeitherNewsNorHidesNews)
{
    struct Row {
        const char *name;
        QList<int> longPosts; // each with a log of 1.9 MB, or 2.6 MB when alone: 1.7 or 2.3 MB of text
        std::function<void(ClassicForum &)> change;
        bool listed;
    };
    const QList<Row> rows = {
        { "page 1 beyond the page's cap: a post before the cut deleted, 20 more users online", { 5 },
            [](ClassicForum &f) {
                f.posts.removeAt(2);
                for (int i = 0; i < 20; ++i)
                    f.online.append("reader" + QByteArray::number(i));
            },
            false },
        { "page 1 beyond the page's cap: a reply on the last page", { 5 },
            [](ClassicForum &f) { f.reply("Thanks, that worked!"); }, true },
        { "every page long, the thread beyond its cap: the long post of page 1 deleted", { 5, 15, 25, 35, 45 },
            [](ClassicForum &f) { f.posts.removeAt(5); }, false },
    };
    for (const Row &r : rows) {
        ClassicForum forum(r.longPosts.size() > 1 ? 50 : 25);
        for (const int i : r.longPosts)
            forum.posts[i].text += pastedLog(i, r.longPosts.size() > 1 ? 1900 * 1024 : 2600 * 1024);
        ThreadChecker c;
        ASSERT_TRUE(c.watch(forum.url())) << r.name;
        r.change(forum);
        EXPECT_EQ(c.check(), r.listed ? QStringList({ forum.url() }) : QStringList())
            << r.name << ": " << added(c).left(300).toStdString();
        if (r.listed)
            EXPECT_TRUE(added(c).contains("Thanks, that worked!")) << r.name;
    }
}
