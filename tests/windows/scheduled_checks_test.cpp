#include "platform/data_lock.h"
#include "support/script_server.h"
#include "support/test_app.h"
#include "watch/check_scheduler.h"
#include "watch/reply_check.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>

using namespace std::chrono_literals;

TEST(ScheduledChecks, TheToolsMenuStoresTheChoice)
{
    TestApp t;
    MainWindow &w = t.start();
    EXPECT_EQ(t.find<QAction>("chooseAutoCheck")->text(), "Check Replies &Automatically");
    EXPECT_FALSE(w.checkScheduler().isActive()) << "off by default";

    struct Row {
        const char *name;
        QList<int> answer; // none: the user cancels
        int offered;
        const char *stored;
        std::chrono::minutes interval; // 0: off
    };
    const QList<Row> rows = {
        { "every 15 minutes", { 1 }, 0, "15", 15min },
        { "cancelled: as it was", {}, 1, "15", 15min },
        { "every 6 hours", { 3 }, 1, "360", 360min },
        { "every hour", { 2 }, 3, "60", 60min },
        { "off", { 0 }, 2, "0", 0min },
    };
    for (const Row &r : rows) {
        t.dialogs.choiceAnswers = r.answer;
        t.trigger("chooseAutoCheck");
        EXPECT_EQ(t.dialogs.choiceItems, QStringList({ "Off", "Every 15 minutes", "Every hour", "Every 6 hours" }));
        EXPECT_EQ(t.dialogs.choiceOffered, r.offered) << r.name << ": the stored choice is offered";
        EXPECT_EQ(t.settings.read("Settings", "autoCheckMinutes", "?"), r.stored) << r.name;
        EXPECT_EQ(w.checkScheduler().isActive(), r.interval.count() > 0) << r.name;
        if (r.interval.count() > 0)
            EXPECT_EQ(w.checkScheduler().interval(), r.interval) << r.name;
    }

    TestApp next;
    next.settings.write("Settings", "autoCheckMinutes", "60");
    MainWindow &w2 = next.start();
    EXPECT_TRUE(w2.checkScheduler().isActive()) << "the stored choice holds from the start";
    EXPECT_EQ(w2.checkScheduler().interval(), 60min);
}

TEST(ScheduledChecks, AScheduledRunNotifiesAndTheNotificationShowsTheNewReplies)
{
    ScriptServer server;
    server.setHandler([](const QByteArray &path) {
        return ScriptServer::response(QByteArray(path.endsWith("/grown") ? 1800 : 1000, 'g'));
    });
    TestApp t;
    t.writeFile("posts.txt", (server.base() + "/grown\r\n\r\n" + server.base() + "/same\r\n\r\n").toUtf8());
    t.writeFile("sizes.txt", "1000\r\n\r\n1000\r\n\r\n");
    MainWindow &w = t.start();
    w.show();
    auto *tabs = t.find<QTabBar>("TabStrip1");
    ASSERT_EQ(tabs->currentIndex(), 0);

    w.checkScheduler().setInterval(20ms);
    QTRY_COMPARE_WITH_TIMEOUT(t.notifier.notes.size(), 1, 10000);
    EXPECT_EQ(t.notifier.notes[0].count, 1);
    EXPECT_EQ(t.notifier.notes[0].text, "1 new replies found\n" + server.base() + "/grown");
    EXPECT_EQ(tabs->currentIndex(), 0) << "a scheduled run does not move the window's tabs";
    w.checkScheduler().setInterval(0ms);
    QTRY_VERIFY_WITH_TIMEOUT(!w.checkRun().isRunning(), 10000);
    EXPECT_EQ(w.statusText(1), "finished - 1 new replies found");

    w.showMinimized();
    emit t.notifier.activated();
    EXPECT_FALSE(w.isMinimized());
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_FALSE(t.find("lstNew")->isHidden());
}

TEST(ScheduledChecks, TheWindowHoldsTheDataFolderWhileItIsOpen)
{
    TestApp t;
    DataLock other(t.dir.path(), DataLock::Holder::CommandLine);
    EXPECT_EQ(other.peek(), DataLock::State::Free);
    MainWindow &w = t.start();
    EXPECT_EQ(other.peek(), DataLock::State::HeldByWindow) << "held from before the lists are read";
    ASSERT_TRUE(w.unload());
    EXPECT_EQ(t.readFile("posts.txt"), "");
    EXPECT_EQ(other.peek(), DataLock::State::Free) << "let go once the lists are written";
}

TEST(ScheduledChecks, ASecondWindowOnTheSameDataFolderSaysSo)
{
    TestApp t;
    DataLock first(t.dir.path(), DataLock::Holder::Window);
    ASSERT_EQ(first.tryLock(), DataLock::State::Taken);
    MainWindow &w = t.start();
    const QString said = w.statusBar()->currentMessage();
    EXPECT_TRUE(said.startsWith(t.dir.filePath(DataLock::fileName()) + " is held by a Postmaven window"))
        << said.toStdString();
    EXPECT_TRUE(said.contains("the watched posts of the window closed last are kept")) << said.toStdString();
    EXPECT_TRUE(first.isLocked()) << "the other window keeps its lock";
}

TEST(ScheduledChecks, AtStartAStaleLockAndWhatCutShortWritesLeftAreCleared)
{
    TestApp t;
    t.writeFile(DataLock::fileName(), "holder postmaven-cli\npid 999999999\nhost gone.example\n");
    const QString text = "threads/" + QString(40, 'a') + ".text"; // a kept thread text
    const QStringList leftovers = { "posts.txt.qWeRt1", "posts2.txt.ZxCvBn", "messages.txt.AAAAAA", text + ".qWeRt1" };
    const QStringList kept = { "posts.txt.backup", "notes.txt.qWeRt1", "posts.txt.qWeRt12", "threads/notes.qWeRt1" };
    QDir(t.dir.path()).mkdir("threads");
    for (const QString &name : leftovers + kept)
        t.writeFile(name, "half a file");
    MainWindow &w = t.start();
    const QString said = w.statusBar()->currentMessage();
    EXPECT_TRUE(said.contains("removed the stale lock " + t.dir.filePath(DataLock::fileName()))) << said.toStdString();
    EXPECT_EQ(DataLock(t.dir.path(), DataLock::Holder::CommandLine).peek(), DataLock::State::HeldByWindow);
    for (const QString &name : leftovers)
        EXPECT_EQ(t.readFile(name), "<missing>") << name.toStdString();
    for (const QString &name : kept)
        EXPECT_EQ(t.readFile(name), "half a file") << name.toStdString();
}
