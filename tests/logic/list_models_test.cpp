#include "logins/forums_model.h"
#include "platform/list_records.h"
#include "watch/watched_posts_model.h"

#include <gtest/gtest.h>

#include <QList>

TEST(ListModels, ListFilesKeepAnEmptyLineAfterEveryRecord)
{
    EXPECT_EQ(listFileText({ "a", "b", "c" }), "a\r\n\r\nb\r\n\r\nc\r\n\r\n");
    EXPECT_EQ(listFileText({}), "");
    EXPECT_EQ(listRecords({ "a", "", " ", "b", "  " }), QStringList({ "a", "b", "  " }));
}

TEST(ListModels, PostsAndSizesRunInStep)
{
    WatchedPostsModel posts;
    posts.load({ "http://a/1", "", "http://a/2", "", "http://a/3" }, { "100", "", "nonsense" });
    ASSERT_EQ(posts.count(), 3);
    EXPECT_EQ(posts.at(0).size, 100);
    EXPECT_FALSE(posts.at(1).size);
    EXPECT_FALSE(posts.at(2).size) << "sizes.txt had only two rows";
    EXPECT_EQ(posts.postsFileText(), "http://a/1\r\n\r\nhttp://a/2\r\n\r\nhttp://a/3\r\n\r\n");
    EXPECT_EQ(posts.sizesFileText(), "100\r\n\r\nnone\r\n\r\nnone\r\n\r\n");
}

TEST(ListModels, SizesBelongToPostsNotRows)
{
    WatchedPostsModel posts;
    const quint64 a = posts.add("http://a/");
    const quint64 b = posts.add("http://b/");
    posts.removeAt(0);
    EXPECT_FALSE(posts.setSize(a, 10));
    EXPECT_TRUE(posts.setSize(b, 20));
    EXPECT_EQ(posts.at(0).size, 20);
}

TEST(ListModels, AddressesCompareExactly)
{
    WatchedPostsModel posts;
    posts.add("http://Example.com/t");
    EXPECT_TRUE(posts.isWatched("http://Example.com/t"));
    EXPECT_FALSE(posts.isWatched("http://example.com/t"));
    EXPECT_FALSE(posts.isWatched("http://Example.com/t/"));
    EXPECT_EQ(posts.watchIndex("http://Example.com/t"), 0);
}

TEST(ListModels, ForumLines)
{
    struct Row {
        const char *name;
        QString line;
        QString url;
        QString user;
        QString password;
    };
    const QList<Row> rows = {
        { "address only", "http://f/", "http://f/", "", "" },
        { "address and user name: no login row", "http://f/|bob", "http://f/", "", "" },
        { "three fields", "http://f/|bob|secret", "http://f/", "bob", "secret" },
        { "password holding a bar", "http://f/|bob|se|cret", "http://f/", "bob", "se|cret" },
        { "empty login", "http://f/||", "http://f/", "", "" },
        { "the old placeholder reads as a user name", "http://f/|Enter Username|", "http://f/", "Enter Username", "" },
    };
    for (const Row &r : rows) {
        ForumsModel forums;
        forums.load({ r.line, "" });
        ASSERT_EQ(forums.count(), 1) << r.name;
        EXPECT_EQ(forums.at(0).address, r.url) << r.name;
        EXPECT_EQ(forums.at(0).userName, r.user) << r.name;
        EXPECT_EQ(forums.at(0).password, r.password) << r.name;
    }
}

TEST(ListModels, ForumsRoundTrip)
{
    ForumsModel forums;
    forums.add({ "http://one/", "me", "p|w" });
    forums.add({ "http://two/", "", "" });
    forums.add({ "http://one/", "Enter Username", "" });
    const QString text = forums.fileText();
    EXPECT_EQ(text, "http://one/|me|p|w\r\n\r\nhttp://two/|\r\n\r\nhttp://one/|Enter Username|\r\n\r\n");
    ForumsModel back;
    back.load(text.split("\r\n"));
    ASSERT_EQ(back.count(), 3);
    EXPECT_EQ(back.at(0).password, "p|w");
    EXPECT_EQ(back.at(1).userName, "") << "an address without a login";
    EXPECT_EQ(back.at(2).userName, "Enter Username");
}
