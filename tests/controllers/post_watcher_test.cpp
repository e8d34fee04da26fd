#include "net/page_fetch.h"
#include "support/recorders.h"
#include "support/script_server.h"
#include "watch/post_watcher.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

QStringList column(const WatchedPostsModel &posts, int column)
{
    QStringList out;
    for (int row = 0; row < posts.rowCount(); ++row)
        out.append(posts.index(row, column).data().toString());
    return out;
}

struct Fixture {
    ScriptServer server;
    WatchedPostsModel posts;
    ThreadTextStore texts;
    PageFetch channel;
    RecordingDialogs dialogs;
    PostWatcher watcher { posts, texts, channel, dialogs };
    QSignalSpy measured { &channel, &PageFetch::finished };
    int completed = 0;

    Fixture()
    {
        // The path's last number is the size of the page.
        server.setHandler([](const QByteArray &path) {
            return ScriptServer::response(QByteArray(path.mid(path.lastIndexOf('/') + 1).toInt(), 'x'));
        });
        QObject::connect(&watcher, &PostWatcher::measureCompleted, [this] { ++completed; });
    }
    QString url(const QString &path) const { return server.base() + path; }
    bool waitForSizes(const QStringList &sizes)
    {
        for (int i = 0; i < 5 && column(posts, WatchedPostsModel::SizeColumn) != sizes; ++i)
            measured.wait(5000);
        return column(posts, WatchedPostsModel::SizeColumn) == sizes;
    }
};

} // namespace

TEST(PostWatcher, RecordsTheSizeOfEachWatchedPage)
{
    Fixture f;
    f.watcher.watch(f.url("/post/700"));
    EXPECT_EQ(column(f.posts, 0), QStringList({ f.url("/post/700") })) << "listed at once, measured later";
    ASSERT_TRUE(f.waitForSizes({ "700" }));
    EXPECT_EQ(f.completed, 1);

    // Two watches in a row: the second waits for the first.
    f.watcher.watch(f.url("/post/800"));
    f.watcher.watch(f.url("/post/900"));
    ASSERT_TRUE(f.waitForSizes({ "700", "800", "900" }));

    // Watching the same page again keeps one row and replaces its size.
    f.server.setHandler([](const QByteArray &) { return ScriptServer::response(QByteArray(750, 'y')); });
    f.watcher.watch(f.url("/post/700"));
    ASSERT_TRUE(f.waitForSizes({ "750", "800", "900" }));

    // Addresses differing by letter case or a trailing slash are separate watches.
    f.watcher.watch(f.url("/Post/700"));
    f.watcher.watch(f.url("/post/700/"));
    ASSERT_TRUE(f.waitForSizes({ "750", "800", "900", "750", "750" }));
    EXPECT_TRUE(f.dialogs.boxes.isEmpty());
}

TEST(PostWatcher, ARemovedPostDropsItsResultAndTheOthersKeepTheirs)
{
    Fixture f;
    ScriptServer::Script slow;
    slow.pieces = { { "HTTP/1.1 200 OK\r\n\r\n", 0 }, { QByteArray(50, 's'), 300 } };
    f.server.setHandler(
        [slow](const QByteArray &path) { return path.startsWith("/slow") ? slow : ScriptServer::response("abc"); });
    f.watcher.watch(f.url("/other"));
    ASSERT_TRUE(f.waitForSizes({ "3" }));
    f.watcher.watch(f.url("/slow"));
    f.watcher.watch(f.url("/queued"));
    f.posts.removeAt(1); // the slow one, while it is measured
    ASSERT_TRUE(f.waitForSizes({ "3", "3" }));
    EXPECT_EQ(column(f.posts, 0), QStringList({ f.url("/other"), f.url("/queued") }));
}

TEST(PostWatcher, AFailedFetchShowsTheErrorBoxAndLeavesNoSize)
{
    Fixture f;
    QSignalSpy failed(&f.channel, &PageFetch::failed);
    f.watcher.watch(QStringLiteral("http://127.0.0.1:%1/x").arg(closedLoopbackPort()));
    ASSERT_TRUE(failed.wait(5000));
    ASSERT_EQ(f.dialogs.boxes.size(), 1);
    EXPECT_EQ(f.dialogs.boxes[0].title, "Error");
    EXPECT_TRUE(f.dialogs.boxes[0].text.startsWith("Error occurred.\r\nError #: 10061\r\n"));
    EXPECT_EQ(f.dialogs.boxes[0].icon, DialogService::Icon::Exclamation);
    EXPECT_EQ(column(f.posts, WatchedPostsModel::SizeColumn), QStringList({ "" }));
    EXPECT_EQ(f.posts.sizesFileText(), "none\r\n\r\n") << "the files stay in step";
}

TEST(PostWatcher, AWatchStartedWhileTheErrorBoxIsOpenKeepsItsResult)
{
    Fixture f;
    const QString dead = QStringLiteral("http://127.0.0.1:%1/x").arg(closedLoopbackPort());
    // While the first failure's box waits, the user watches another page.
    f.dialogs.onMessage = [&] {
        f.dialogs.onMessage = nullptr;
        f.watcher.watch(f.url("/post/321"));
    };
    f.watcher.watch(dead);
    ASSERT_TRUE(f.waitForSizes({ "", "321" }));
    EXPECT_EQ(f.dialogs.boxes.size(), 1);
}
