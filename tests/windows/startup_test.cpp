#include "messages/first_run_text.h"
#include "platform/data_location.h"
#include "support/list_items.h"
#include "support/script_server.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

#include "panels/message_editor_panel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSplitter>

#include <cerrno>
#include <cstring>

namespace {
// The window of the next start, with the place the first one left.
MainWindow &reopen(TestApp &next, const TestApp &first)
{
    for (const char *key : { "windowGeometry", "windowSplitter" })
        next.settings.write("Settings", key, first.settings.read("Settings", key, ""));
    MainWindow &w = next.start();
    w.show();
    QCoreApplication::processEvents();
    return w;
}
} // namespace

TEST(Startup, FirstStartInAnEmptyFolder)
{
    TestApp t;
    MainWindow &w = t.start();
    for (const char *name : { "htmltemp.txt", "messages.txt", "posts.txt", "posts2.txt", "sizes.txt" })
        EXPECT_EQ(t.readFile(name), QByteArray("\r\n")) << name;
    for (const char *list : { "lstPosts", "lstPosts2", "lstSizes", "lstLogins" })
        EXPECT_TRUE(items(t.find<QListView>(list)).isEmpty()) << list;
    EXPECT_EQ(t.find<QLineEdit>("txtSubject")->text(), "Type Subject Here");
    EXPECT_EQ(w.messageEditor().messageText(), firstRunText());
    EXPECT_EQ(t.find<QComboBox>("cmbConvert")->currentText(), "text");
    EXPECT_EQ(t.find<QComboBox>("cmbConvert")->count(), 4);
    EXPECT_EQ(t.fake->navigated, QStringList({ "about:blank" }));
    EXPECT_TRUE(t.dialogs.boxes.isEmpty());
    w.unload();
    for (const char *name : { "posts.txt", "sizes.txt", "posts2.txt" })
        EXPECT_EQ(t.readFile(name), QByteArray()) << name << ": an empty list is zero bytes";
}

TEST(Startup, TheHomePageIsTheStartPageThatShipsWithTheProgram)
{
    TestApp t;
    AppServices services = t.services();
    services.homePage.clear();
    t.window = std::make_unique<MainWindow>(services);
    t.window->load();
    EXPECT_EQ(t.fake->navigated, QStringList({ "qrc:/start/start.html" }));
}

TEST(Startup, FirstRunTextIsExact)
{
    const QString text = firstRunText();
    EXPECT_EQ(text.size(), 332);
    const QStringList lines = text.split("\r\n");
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], "Type your first message here.  ");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[5], "and hit the \"Insert Message\" button ");
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[11], "value in the drop down box above.");
    EXPECT_EQ(lines[12], "");
}

// How each record reads and is written back is the stores' own test; here, what the lists show.
TEST(Startup, TheListsShowTheirFiles)
{
    TestApp t;
    t.writeFile("posts.txt", "http://a/1\r\n\r\nhttp://a/2\r\n\r\n \r\nhttp://a/3\r\n\r\n");
    t.writeFile("sizes.txt", "10\r\n\r\n20\r\n\r\n30\r\n\r\n");
    t.writeFile("posts2.txt", "http://f/1\r\n\r\nhttp://f/2|bob|pw\r\n\r\nhttp://f/3|al|p|w|x\r\n\r\n");
    t.start();
    EXPECT_EQ(items(t.find<QListView>("lstPosts")), QStringList({ "http://a/1", "http://a/2", "http://a/3" }));
    EXPECT_EQ(items(t.find<QListView>("lstSizes")), QStringList({ "10", "20", "30" }));
    EXPECT_EQ(items(t.find<QListView>("lstPosts2")), QStringList({ "http://f/1", "http://f/2", "http://f/3" }));
    EXPECT_EQ(items(t.find<QListView>("lstLogins")), QStringList({ "", "bob|pw", "al|p|w|x" }));
}

TEST(Startup, StoredValuesAreRestored)
{
    struct Row {
        const char *name;
        QString lastMessage;
        QString lastConvert;
        QString expectedMessage;
        QString expectedFormat;
    };
    const QList<Row> rows = {
        { "a stored message", "hello\r\nworld", "2", "hello\r\nworld", "ubb" },
        { "one space keeps the first-run text", " ", "1", firstRunText(), "html" },
        { "empty keeps the first-run text", "", "0", firstRunText(), "text" },
        { "a format that is no number", "x", "abc", "x", "text" },
        { "a format out of range", "x", "17", "x", "text" },
        { "a negative format", "x", "-1", "x", "text" },
    };
    for (const Row &r : rows) {
        TestApp t;
        t.settings.write("data", "lastMessage", r.lastMessage);
        t.settings.write("data", "lastConvert", r.lastConvert);
        t.settings.write("data", "lastSubject", "Saved subject");
        MainWindow &w = t.start();
        EXPECT_EQ(w.messageEditor().messageText(), r.expectedMessage) << r.name;
        EXPECT_EQ(t.find<QComboBox>("cmbConvert")->currentText(), r.expectedFormat) << r.name;
        EXPECT_EQ(t.find<QLineEdit>("txtSubject")->text(), "Saved subject") << r.name;
    }
}

TEST(Startup, ShutdownStoresMessageAndFormat)
{
    TestApp t;
    MainWindow &w = t.start();
    w.messageEditor().setMessageText("line one\r\nline two");
    t.find<QComboBox>("cmbConvert")->setCurrentIndex(3);
    t.find<QLineEdit>("txtSubject")->setText("New subject");
    EXPECT_EQ(t.settings.read("data", "lastSubject", ""), "New subject") << "kept on every change";
    w.close();
    EXPECT_TRUE(w.isUnloaded());
    EXPECT_EQ(t.settings.read("data", "lastMessage", ""), "line one\r\nline two");
    EXPECT_EQ(t.settings.read("data", "lastConvert", ""), "3");
}

TEST(Startup, ExitRunsTheOrderlyShutdown)
{
    TestApp t;
    MainWindow &w = t.start();
    const QString post = QStringLiteral("http://127.0.0.1:%1/thread/1").arg(closedLoopbackPort());
    t.fake->location = post;
    t.click("cmdAdd");
    t.trigger("exit");
    EXPECT_TRUE(w.isUnloaded());
    EXPECT_EQ(t.readFile("posts.txt"), (post + "\r\n\r\n").toUtf8());
    EXPECT_EQ(t.readFile("sizes.txt"), QByteArray("none\r\n\r\n"));
}

TEST(Startup, AnUnreadableDataFileIsReportedAndLeftUntouched)
{
    // A folder stands in the file's place: it exists and cannot be read.
    for (const char *file : { "posts2.txt", "sizes.txt" }) {
        SCOPED_TRACE(file);
        TestApp t;
        QDir(t.dir.path()).mkdir(file);
        t.writeFile("posts.txt", "http://a/1\r\n\r\n");
        MainWindow &w = t.start();
        ASSERT_EQ(t.dialogs.boxes.size(), 1);
        EXPECT_TRUE(t.dialogs.boxes[0].text.contains(t.path(file)));
        EXPECT_EQ(items(t.find<QListView>("lstPosts")).size(), 1);
        EXPECT_TRUE(items(t.find<QListView>("lstPosts2")).isEmpty());
        w.unload();
        EXPECT_TRUE(QFileInfo(t.path(file)).isDir()) << "left as it was";
        EXPECT_EQ(t.readFile("posts.txt"), QByteArray("http://a/1\r\n\r\n"));
    }
}

TEST(Startup, ADataFolderThatCannotBeMadeIsOneBoxThatSaysWhy)
{
    TestApp t;
    // As when the home folder cannot be written: a file where a folder above the data folder belongs.
    t.writeFile("home", "a file");
    const DataLocation location = chooseDataLocation({ t.path("app"), t.path("home/.local/share/Postmaven"), {}, {} });
    AppServices services = t.services();
    services.folder = DataFolder(location.folder);
    services.folderProblem = location.error;
    t.window = std::make_unique<MainWindow>(services);
    t.window->load();
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_TRUE(t.dialogs.boxes[0].text.contains(location.folder)) << t.dialogs.boxes[0].text.toStdString();
    EXPECT_TRUE(t.dialogs.boxes[0].text.contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))))
        << t.dialogs.boxes[0].text.toStdString();
}

TEST(Startup, AFailedWriteAtCloseOffersRetryAndCancel)
{
    TestApp t;
    MainWindow &w = t.start();
    w.show();
    t.fake->location = "http://127.0.0.1:1/post";
    t.click("cmdAdd");
    // posts.txt cannot be replaced while a folder stands in its place.
    QFile::remove(t.path("posts.txt"));
    QDir(t.dir.path()).mkdir("posts.txt");
    t.dialogs.answers = { false };
    w.close();
    ASSERT_EQ(t.dialogs.questions, 1);
    EXPECT_TRUE(t.dialogs.boxes.last().text.contains(t.path("posts.txt")));
    EXPECT_FALSE(w.isUnloaded()) << "Cancel keeps the window open";
    EXPECT_TRUE(w.isVisible());

    // The user makes room and tries again.
    t.dialogs.onQuestion = [&] { QDir(t.dir.path()).rmdir("posts.txt"); };
    t.dialogs.answers = { true };
    w.close();
    EXPECT_TRUE(w.isUnloaded());
    EXPECT_EQ(t.readFile("posts.txt"), QByteArray("http://127.0.0.1:1/post\r\n\r\n"));
    EXPECT_EQ(t.dialogs.questions, 2);
}

TEST(Startup, AnUnattendedEndNeverAsksAndNamesTheFileOnStandardError)
{
    TestApp t;
    MainWindow &w = t.start();
    t.fake->location = "http://127.0.0.1:1/post";
    t.click("cmdAdd");
    QFile::remove(t.path("sizes.txt"));
    QDir(t.dir.path()).mkdir("sizes.txt");
    QFile::remove(t.path("posts2.txt"));
    QDir(t.dir.path()).mkdir("posts2.txt");
    const int boxes = t.dialogs.boxes.size();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(w.unload(MainWindow::Shutdown::Unattended));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(t.dialogs.boxes.size(), boxes) << "no box";
    EXPECT_NE(err.find(t.path("sizes.txt").toStdString()), std::string::npos) << err;
    EXPECT_NE(err.find(t.path("posts2.txt").toStdString()), std::string::npos) << err;
    EXPECT_EQ(t.readFile("posts.txt"), QByteArray("\r\n")) << "kept in step with sizes.txt, which kept its own";
    EXPECT_TRUE(w.isUnloaded());
}

TEST(Startup, TheWindowOpensWhereItWasLeft)
{
    TestApp first;
    MainWindow &w = first.start();
    const QRect available = w.screen()->availableGeometry();
    EXPECT_GE(w.width(), std::min(743, available.width())) << "at least the designed size";
    EXPECT_EQ(w.frameGeometry().center().x() / 10, available.center().x() / 10) << "centred";
    w.show();
    w.setGeometry(QRect(available.topLeft() + QPoint(30, 40), QSize(760, 640)));
    auto *columns = first.find<QSplitter>("mainSplitter");
    columns->setSizes({ 400, columns->width() - 400 });
    QCoreApplication::processEvents();
    const QRect left = w.geometry();
    const QList<int> widths = columns->sizes();
    w.close();

    TestApp next;
    MainWindow &again = reopen(next, first);
    EXPECT_EQ(again.geometry().size(), left.size());
    EXPECT_EQ(again.geometry().topLeft(), left.topLeft());
    EXPECT_EQ(next.find<QSplitter>("mainSplitter")->sizes(), widths) << "the columns as wide as they were";
}

TEST(Startup, APlaceOnNoScreenIsMovedBackOntoOne)
{
    TestApp first;
    MainWindow &w = first.start();
    w.show();
    w.move(20000, 20000);
    QCoreApplication::processEvents();
    w.close();
    TestApp next;
    MainWindow &again = reopen(next, first);
    EXPECT_TRUE(again.screen()->availableGeometry().intersects(again.frameGeometry()))
        << again.frameGeometry().x() << "," << again.frameGeometry().y();
}
