#include "threads/thread_links.h"
#include "threads/thread_page_scanner.h"
#include "watch/watched_posts_model.h"

#include <gtest/gtest.h>

#include <QList>
#include <QStringList>

namespace {

// The links a scanner reports, as "a:href", "link:href", "base:href", with
// " next" after those marked rel="next".
QStringList linksOf(const QList<QByteArray> &pieces)
{
    QStringList out;
    ThreadPageScanner scanner([&](const ThreadPageScanner::Link &link) {
        const char *kind = link.kind == ThreadPageScanner::Link::Kind::Anchor ? "a"
            : link.kind == ThreadPageScanner::Link::Kind::LinkTag             ? "link"
                                                                              : "base";
        out.append(QString::fromLatin1(kind) + ':' + QString::fromUtf8(link.href) + (link.relNext ? " next" : ""));
    });
    for (const QByteArray &piece : pieces)
        scanner.feed(piece);
    return out;
}

// Every way of cutting the page in two, and the page one byte at a time.
void expectAnySplit(const char *name, const QByteArray &page, const QStringList &expected)
{
    EXPECT_EQ(linksOf({ page }), expected) << name;
    for (qsizetype cut = 1; cut < page.size(); ++cut)
        ASSERT_EQ(linksOf({ page.left(cut), page.mid(cut) }), expected) << name << ", cut at " << cut;
    QList<QByteArray> bytes;
    for (const char c : page)
        bytes.append(QByteArray(1, c));
    EXPECT_EQ(linksOf(bytes), expected) << name << ", a byte at a time";
}

} // namespace

TEST(ThreadPageScanner, FindsTheLinksAPageShows)
{
    struct Row {
        const char *name;
        QByteArray page;
        QStringList links;
    };
    const QList<Row> rows = {
        { "anchor with double quotes", R"(<p>x</p><a href="/t/5?page=2">2</a>)", { "a:/t/5?page=2" } },
        { "single quotes, spaces round the equals sign", R"(<a class=x href = '/t/5?page=3'>)", { "a:/t/5?page=3" } },
        { "unquoted value", "<A HREF=/t/5/page-2 class=x>", { "a:/t/5/page-2" } },
        { "unquoted value right before the end of the tag", "<a href=?page=2>2</a>", { "a:?page=2" } },
        { "ampersand written as a reference", R"(<a href="t.php?t=5&amp;start=15&#38;x=&#x31;">)",
            { "a:t.php?t=5&start=15&x=1" } },
        { "unknown reference kept as written", R"(<a href="?a=1&nbsp;b&c">)", { "a:?a=1&nbsp;b&c" } },
        { "rel next on an anchor, any case, among other words", R"(<a rel="nofollow NEXT" href="?p=2">)",
            { "a:?p=2 next" } },
        { "rel next on a link tag in the head", R"(<head><link rel=next href="/t/5?page=2"></head>)",
            { "link:/t/5?page=2 next" } },
        { "link tag of a style sheet", R"(<link rel="stylesheet" href="/s.css">)", { "link:/s.css" } },
        { "rel word that only contains next", R"(<a rel="nextpage" href="?page=2">)", { "a:?page=2" } },
        { "area of an image map", R"(<area shape=rect href="?page=4">)", { "a:?page=4" } },
        { "base of the page", R"(<base href="http://h/forum/"><a href="t?page=2">)",
            { "base:http://h/forum/", "a:t?page=2" } },
        { "the first href counts", R"(<a href="?page=2" href="?page=9">)", { "a:?page=2" } },
        { "anchor without href", R"(<a name="top">top</a><a id=x>)", {} },
        { "self-closing tag", R"(<link rel="next" href="?page=2"/><a href=?page=3/>)",
            { "link:?page=2 next", "a:?page=3/" } },
        { "attribute without a value before href", R"(<a download href="?page=2">)", { "a:?page=2" } },
        { "greater-than sign inside a quoted value", R"(<a title="a > b" href="?page=2">)", { "a:?page=2" } },
        { "links inside a script", R"(<script>var s = '<a href="?page=9">';</script><a href="?page=2">)",
            { "a:?page=2" } },
        { "script whose end tag is in capitals", R"(<SCRIPT type=x><a href="?page=9"></ScRiPt ><a href=?page=2>)",
            { "a:?page=2" } },
        { "a script end tag split by quotes does not end it",
            R"(<script>document.write("</scr" + "ipt><a href='?page=9'>")</script><a href=?page=2>)", { "a:?page=2" } },
        { "a longer tag name that starts like the end tag",
            R"(<script></scripts><a href="?page=9"></script><a href=?page=2>)", { "a:?page=2" } },
        { "links inside noscript", R"(<noscript><a href="?page=9">more</a></noscript><a href="?page=2">)",
            { "a:?page=2" } },
        { "links inside a text area, a style and a title",
            R"(<title><a href="?page=7"></title><style>a[href="?page=8"]{}</style><textarea><a href="?page=9"></textarea><a href=?page=2>)",
            { "a:?page=2" } },
        { "links inside a comment", R"(<!-- <a href="?page=9"> -- > --><a href="?page=2">)", { "a:?page=2" } },
        { "empty comments", R"(<!--><a href="?page=2"><!---><a href="?page=3">)", { "a:?page=2", "a:?page=3" } },
        { "doctype and processing instruction", R"(<!DOCTYPE html><?xml x?><a href="?page=2">)", { "a:?page=2" } },
        { "a lone less-than sign is text", R"(1 < 2 <3 <a href="?page=2">)", { "a:?page=2" } },
        { "end tags are no links", R"(</a href="?page=9"><a href="?page=2">)", { "a:?page=2" } },
        { "tab and line break inside a tag", "<a\n\thref\n=\n\"?page=2\"\n>", { "a:?page=2" } },
    };
    for (const Row &r : rows)
        expectAnySplit(r.name, r.page, r.links);
}

TEST(ThreadPageScanner, KeepsNoMoreThanItsLimits)
{
    const QByteArray longHref(ThreadPageScanner::kMaxHref + 1, 'x');
    EXPECT_EQ(linksOf({ "<a href=\"" + longHref + "\">", "<a href=?page=2>" }), QStringList({ "a:?page=2" }))
        << "an address too long to keep is dropped";
    const QByteArray fits(ThreadPageScanner::kMaxHref, 'y');
    EXPECT_EQ(linksOf({ "<a href=\"" + fits + "\">" }), QStringList({ "a:" + QString::fromLatin1(fits) }));
    EXPECT_EQ(linksOf({ "<a data-" + QByteArray(1000, 'n') + "=1 href=?page=2>" }), QStringList({ "a:?page=2" }));
    EXPECT_EQ(linksOf({ "<plaintext><a href=?page=2>" }), QStringList()) << "the rest of the page is text";
}

TEST(ThreadPageScanner, ResetStartsANewPage)
{
    QStringList out;
    ThreadPageScanner scanner([&](const ThreadPageScanner::Link &link) { out.append(QString::fromUtf8(link.href)); });
    scanner.feed(QByteArray("<script><a href=?page=9>"));
    scanner.reset();
    scanner.feed(QByteArray("<a href=?page=2>"));
    EXPECT_EQ(out, QStringList({ "?page=2" }));
}

namespace {

const FetchAddress kPage = parseFetchAddress(QStringLiteral("http://forum.example/t/5"));

QString pageFor(
    const FetchAddress &watched, const QByteArray &href, bool relNext = false, const FetchAddress *base = nullptr)
{
    const ThreadLinks links(watched);
    const auto page = links.pageOf(base ? *base : watched, href, relNext);
    if (!page)
        return QStringLiteral("-");
    return fetchAddressText(page->address) + (page->number >= 0 ? QStringLiteral(" #%1").arg(page->number) : QString());
}

} // namespace

TEST(ThreadLinks, WhichLinksArePagesOfTheThread)
{
    struct Row {
        const char *name;
        const char *watched;
        QByteArray href;
        bool relNext;
        const char *page; // "-" when it is no page of the thread
    };
    const QList<Row> rows = {
        { "query page number", "http://forum.example/t/5", "?page=2", false, "http://forum.example/t/5?page=2 #2" },
        { "start offset beside the thread's own parameters", "http://forum.example/viewtopic.php?f=2&t=5",
            "./viewtopic.php?t=5&f=2&start=15", false, "http://forum.example/viewtopic.php?t=5&f=2&start=15 #15" },
        { "cpage", "http://forum.example/t/5", "/t/5?cpage=3", false, "http://forum.example/t/5?cpage=3 #3" },
        { "pg", "http://forum.example/t/5", "/t/5?pg=3", false, "http://forum.example/t/5?pg=3 #3" },
        { "parameter name in capitals", "http://forum.example/t/5", "?Page=3", false,
            "http://forum.example/t/5?Page=3 #3" },
        { "path segment page-N", "http://forum.example/threads/title.5/", "page-2", false,
            "http://forum.example/threads/title.5/page-2 #2" },
        { "path segment pageN", "http://forum.example/threads/title.5", "/threads/title.5/page2", false,
            "http://forum.example/threads/title.5/page2 #2" },
        { "comment page with a fragment", "http://forum.example/2024/05/post/",
            "http://forum.example/2024/05/post/comment-page-2/#comments", false,
            "http://forum.example/2024/05/post/comment-page-2/ #2" },
        { "page/N", "http://forum.example/topic/5-title/", "/topic/5-title/page/3/", false,
            "http://forum.example/topic/5-title/page/3/ #3" },
        { "host in other letter case", "http://forum.example/t/5", "http://FORUM.example/t/5?page=2", false,
            "http://FORUM.example/t/5?page=2 #2" },
        { "watched page 2: page 3", "http://forum.example/t/5?page=2", "?page=3", false,
            "http://forum.example/t/5?page=3 #3" },
        { "watched page 2: the thread's address is page 1", "http://forum.example/t/5?page=2", "/t/5", false,
            "http://forum.example/t/5" },
        { "watched page 2: another form of page number", "http://forum.example/t/5/page-2", "/t/5?page=3", false,
            "http://forum.example/t/5?page=3 #3" },
        { "the watched page's own address", "http://forum.example/t/5", "/t/5#post-7", false,
            "http://forum.example/t/5" },
        { "a fragment stays on the page", "http://forum.example/t/5", "#post-7", false, "-" },
        { "another thread", "http://forum.example/t/5", "/t/6?page=2", false, "-" },
        { "another thread whose number starts the same", "http://forum.example/t/5", "/t/55?page=2", false, "-" },
        { "another thread's offset", "http://forum.example/viewtopic.php?t=5", "viewtopic.php?t=6&start=15", false,
            "-" },
        { "a deeper address", "http://forum.example/t/5", "/t/5/reply?page=2", false, "-" },
        { "page number and one more parameter", "http://forum.example/t/5", "?page=2&sort=desc", false, "-" },
        { "two page numbers", "http://forum.example/t/5", "?page=2&start=15", false, "-" },
        { "another host", "http://forum.example/t/5", "http://other.example/t/5?page=2", false, "-" },
        { "another port", "http://forum.example/t/5", "http://forum.example:8080/t/5?page=2", false, "-" },
        { "secure address of a plain page", "http://forum.example/t/5", "https://forum.example/t/5?page=2", false,
            "-" },
        { "script address", "http://forum.example/t/5", "javascript:go('?page=2')", false, "-" },
        { "number that is no page number", "http://forum.example/t/5", "?p=2", false, "-" },
        { "page word with letters after the number", "http://forum.example/t/5", "/t/5/page-2x", false, "-" },
        { "segment that only ends in page", "http://forum.example/t/5", "/t/5/frontpage2", false, "-" },
        { "dot segments that lead back to the thread", "http://forum.example/t/5", "/t/x/../5?page=2", false,
            "http://forum.example/t/5?page=2 #2" },
        { "relative link climbing out of a page's folder", "http://forum.example/t/5/", "../5/page-3", false,
            "http://forum.example/t/5/page-3 #3" },
        { "a dot inside a name is no dot segment", "http://forum.example/t/5", "/members/bob.5/", false, "-" },
        { "thread address with encoded letters, link with raw ones", "http://forum.example/t/caf%C3%A9",
            "/t/caf\xC3\xA9?page=2", false, "http://forum.example/t/caf%C3%A9?page=2 #2" },
        { "another thread further in a path", "http://forum.example/threads/title.5", "/threads/title.5/post-123",
            false, "-" },
        { "rel next with another parameter name", "http://forum.example/t/5", "?pagenum=2", true,
            "http://forum.example/t/5?pagenum=2 #2" },
        { "the same without rel next", "http://forum.example/t/5", "?pagenum=2", false, "-" },
        { "rel next adding a numbered segment", "http://forum.example/t/5", "/t/5/p2", true,
            "http://forum.example/t/5/p2 #2" },
        { "rel next to the next offset of the topic", "http://forum.example/index.php?topic=5.0",
            "index.php?topic=5.15", true, "http://forum.example/index.php?topic=5.15 #15" },
        { "rel next to the next topic", "http://forum.example/index.php?topic=5.0", "index.php?topic=6.0", true, "-" },
        { "rel next to the next thread", "http://forum.example/showthread.php?t=5", "showthread.php?t=6", true, "-" },
        { "rel next to the next thread in the path", "http://forum.example/t/5", "/t/6", true, "-" },
        { "rel next to the next blog post", "http://forum.example/2024/05/post/", "/2024/05/newer-post/", true, "-" },
        { "rel next to another host", "http://forum.example/t/5", "http://other.example/t/5?page=2", true, "-" },
    };
    for (const Row &r : rows) {
        const FetchAddress watched = parseFetchAddress(QString::fromLatin1(r.watched));
        EXPECT_EQ(pageFor(watched, r.href, r.relNext), QString::fromLatin1(r.page)) << r.name;
    }
}

TEST(ThreadLinks, KeysIgnoreATrailingSlashAndParameterOrder)
{
    auto key = [](const char *address) { return ThreadLinks::keyOf(parseFetchAddress(QString::fromLatin1(address))); };
    EXPECT_EQ(key("http://h/t/5/"), key("http://h/t/5"));
    EXPECT_EQ(key("http://h/t?a=1&b=2"), key("http://h/t?b=2&a=1"));
    EXPECT_EQ(key("http://H/t"), key("http://h/t"));
    EXPECT_NE(key("http://h/t/5"), key("http://h/T/5"));
    EXPECT_NE(key("http://h/t/5"), key("https://h/t/5"));
}

TEST(ThreadLinks, RelativeLinksFollowTheBaseOfThePage)
{
    const FetchAddress base = parseFetchAddress(QStringLiteral("http://forum.example/t/5/"));
    const FetchAddress watched = parseFetchAddress(QStringLiteral("http://forum.example/t/5"));
    EXPECT_EQ(pageFor(watched, "page-2", false, &base), "http://forum.example/t/5/page-2 #2");
    EXPECT_EQ(pageFor(watched, "page-2"), "-") << "without the base it is /t/page-2";
}

// sizes.txt: a plain number is the watched page alone, as every earlier
// version measured and wrote it; a thread's sum carries its page count,
// which such versions read as no size.
TEST(SizeRecords, ThreadSumsAndPlainNumbers)
{
    struct Row {
        const char *name;
        QString record;
        std::optional<qint64> size; // as the new version reads it
        int pages;
        qint64 lastPage;
        QString writtenBack;
    };
    const QList<Row> rows = {
        { "plain number of an older version", "48213", 48213, 0, -1, "48213" },
        { "thread of three pages", "90210 pages=3 last=3", 90210, 3, 3, "90210 pages=3 last=3" },
        { "thread of one page", "700 pages=1", 700, 1, -1, "700 pages=1" },
        { "words in another order, and one this version does not know", "5 last=40 seen=2 pages=2", 5, 2, 40,
            "5 pages=2 last=40" },
        { "page count missing", "90210 last=3", std::nullopt, 0, -1, "none" },
        { "page count zero", "90210 pages=0", std::nullopt, 0, -1, "none" },
        { "sum that is no number", "-5 pages=2", std::nullopt, 0, -1, "none" },
        { "no size", "none", std::nullopt, 0, -1, "none" },
    };
    for (const Row &r : rows) {
        WatchedPostsModel posts;
        posts.load({ "http://h/t" }, { r.record });
        const WatchedPost &p = posts.at(0);
        EXPECT_EQ(p.size, r.size) << r.name;
        EXPECT_EQ(p.pages, r.pages) << r.name;
        EXPECT_EQ(p.lastPage, r.lastPage) << r.name;
        EXPECT_EQ(posts.sizesFileText(), r.writtenBack + "\r\n\r\n") << r.name;
    }
}

TEST(SizeRecords, OlderVersionsReadAThreadSumAsNoSize)
{
    WatchedPostsModel posts;
    const quint64 one = posts.add("http://h/one");
    const quint64 paged = posts.add("http://h/paged");
    const quint64 old = posts.add("http://h/old");
    posts.setThreadSize(one, 700, 1, -1);
    posts.setThreadSize(paged, 90210, 3, 3);
    posts.setSize(old, 512);
    const QStringList records = posts.sizesFileText().split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(records, QStringList({ "700 pages=1", "90210 pages=3 last=3", "512" }));
    // What versions that measured one page did with a record: a number, or no size.
    auto olderReading = [](const QString &record) {
        bool ok = false;
        const qint64 v = record.trimmed().toLongLong(&ok);
        return ok ? QString::number(v) : QStringLiteral("no size");
    };
    EXPECT_EQ(olderReading(records[0]), "no size");
    EXPECT_EQ(olderReading(records[1]), "no size");
    EXPECT_EQ(olderReading(records[2]), "512");
    EXPECT_FALSE(WatchedPostsModel::sizeValue(records[1]));
}
