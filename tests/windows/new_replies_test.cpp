// The "New Replies " list as a user reads it: each post found shows the start
// of the text added, its tip the whole of it.
#include "support/list_items.h"
#include "support/script_server.h"
#include "support/test_app.h"
#include "watch/check_scheduler.h"
#include "watch/reply_check.h"
#include "watch/thread_text_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QListView>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// A thread whose replies each show their author, the text and a button.
struct Thread {
    ScriptServer server;
    QList<QByteArray> replies { "First question", "Have you tried the second setting?" };
    Thread()
    {
        server.setHandler([this](const QByteArray &) {
            QByteArray page = "<html><body><h1>Help</h1>\n";
            for (int i = 0; i < replies.size(); ++i)
                page += "<div class=\"post\"><b>user" + QByteArray::number(i) + "</b><p>" + replies[i]
                    + "</p><a href=\"/quote\">Quote</a></div>\n";
            return ScriptServer::response(page + "</body></html>\n");
        });
    }
    QString url() const { return server.base() + QLatin1String("/t/5"); }
};

} // namespace

TEST(NewReplies, TheListShowsWhatIsNew)
{
    Thread thread;
    TestApp t;
    t.writeFile("posts.txt", (thread.url() + "\r\n\r\n").toUtf8());
    t.writeFile("sizes.txt", "none\r\n\r\n");
    MainWindow &w = t.start();
    w.show();
    t.trigger("checkReplies"); // the first measure is no news
    QTRY_VERIFY_WITH_TIMEOUT(!w.checkRun().isRunning(), 10000);
    const QString kept = t.path("threads/" + ThreadTextStore::fileNameFor(thread.url()));
    EXPECT_TRUE(QFile::exists(kept)) << "the thread's text is kept at once";

    thread.replies.append("Thanks, that worked!");
    t.trigger("checkReplies");
    QTRY_VERIFY_WITH_TIMEOUT(!w.checkRun().isRunning(), 10000);
    auto *list = t.find<QListView>("lstNew");
    ASSERT_FALSE(list->isHidden());
    ASSERT_EQ(list->model()->rowCount(), 1);
    const QModelIndex row = list->model()->index(0, 0);
    EXPECT_EQ(row.data().toString(), thread.url() + "\n    user2 \u00b7 Thanks, that worked!");
    EXPECT_EQ(row.data(Qt::ToolTipRole).toString(), "user2\nThanks, that worked!\nQuote");
    doubleClickRow(list, 0);
    EXPECT_EQ(t.fake->navigated.last(), thread.url()) << "the post opens, not the text shown";

    // The notification of a scheduled run carries it too.
    w.checkScheduler().setInterval(20ms);
    QTRY_COMPARE_WITH_TIMEOUT(t.notifier.notes.size(), 1, 10000);
    w.checkScheduler().setInterval(0ms);
    EXPECT_EQ(
        t.notifier.notes[0].text, "1 new replies found\n" + thread.url() + "\n    user2 \u00b7 Thanks, that worked!");

    // Remove Watch takes the kept text with it.
    QTRY_VERIFY_WITH_TIMEOUT(!w.checkRun().isRunning(), 10000);
    t.trigger("showAllPosts");
    selectRow(t.find<QListView>("lstPosts"), 0);
    t.click("cmdDel");
    EXPECT_FALSE(QFile::exists(kept));
}
