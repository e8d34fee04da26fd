#include "support/list_items.h"
#include "support/script_server.h"
#include "support/test_app.h"
#include "ui/help_window.h"
#include "watch/page_fetch.h"
#include "watch/reply_check.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

TEST(MainWindow, EveryControlByNameWithCaptionAndTooltip)
{
    TestApp t;
    MainWindow &w = t.start();
    struct Row {
        const char *name;
        const char *caption;
        const char *tip;
    };
    const QList<Row> buttons = {
        { "cmdMessage", "Auto-Insert",
            "Once you are on the page where you can post your message, click here to insert it." },
        { "cmdPreview", "Preview", "See a preview of your message in the currently selected format" },
        { "cmdCopy", "Copy", "Copy your message to the clipboard in the selected format" },
        { "cmdSave", "Save", "Save the current message" },
        { "cmdLoad", "Load", "Load a saved message" },
        { "cmdOptions", "Options", "Options" },
        { "Command1", "Visit www.postmaven.example", "Visit us!" },
        { "cmdPaste_0", "Paste",
            "Click within the Subject field on the form you want to paste into, then click here." },
        { "cmdPaste_1", "Paste",
            "Click within the Username field on the form you want to paste into, then click here." },
        { "cmdPaste_2", "Paste",
            "Click within the Password field on the form you want to paste into, then click here." },
        { "cmdPaste_3", "Paste Message",
            "Click within the message area on the form you want to paste into, then click here." },
        { "Command3", "Go", "browse the entered url" },
        { "Command4", "Back", "back" },
        { "Command5", "Forward", "forward" },
        { "Command6", "Stop", "stop" },
        { "Command7_1", "Refresh", "refresh" },
        { "cmdAdd2", "Add Current URL", "Watch the current URL" },
        { "cmdDel2", "Remove URL", "" },
        { "cmdAdd", "Watch This Post", "Watch the current URL" },
        { "cmdDel", "Remove Watch", "" },
        { "cmdReplies", "Check for new replies", "" },
        { "Check1", "No Popups", "" },
    };
    for (const Row &r : buttons) {
        auto *b = w.findChild<QAbstractButton *>(QLatin1String(r.name));
        ASSERT_NE(b, nullptr) << r.name;
        EXPECT_EQ(b->text(), QLatin1String(r.caption)) << r.name;
        EXPECT_EQ(b->toolTip(), QLatin1String(r.tip)) << r.name;
    }
    const QList<QPair<const char *, const char *>> labels = { { "Label2", "as" }, { "Label1", "Subject:" },
        { "SkinLabel6", "Subject:" }, { "Label7", "Message:" }, { "SkinLabel7", "Message:" }, { "Label5", "URL:" },
        { "SkinLabel4", "Username:" }, { "SkinLabel5", "Password:" } };
    for (const auto &l : labels) {
        auto *label = w.findChild<QLabel *>(QLatin1String(l.first));
        ASSERT_NE(label, nullptr) << l.first;
        EXPECT_EQ(label->text(), QLatin1String(l.second)) << l.first;
    }
    EXPECT_EQ(w.findChild<QGroupBox *>("Frame1")->title(), "Message Editor");
    EXPECT_EQ(w.findChild<QGroupBox *>("Frame2")->title(), "Browser");
    for (const char *name : { "txtSubject", "Text5", "txtUsername", "txtPassword" })
        EXPECT_NE(w.findChild<QLineEdit *>(QLatin1String(name)), nullptr) << name;
    for (const char *name : { "lstPosts", "lstSizes", "lstNew", "lstPosts2", "lstLogins" })
        EXPECT_NE(w.findChild<QListWidget *>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(w.cmbConvert->toolTip(), "Select the format you would like to use when your message is inserted.");
    EXPECT_NE(w.findChild<QWidget *>("WebBrowser1"), nullptr);
    EXPECT_EQ(w.txtPassword->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(w.Check1->isChecked());
    EXPECT_FALSE(w.txtUsername->isEnabled());
    EXPECT_FALSE(w.txtPassword->isEnabled());
    EXPECT_EQ(w.TabStrip2->tabText(0), "Your Forums");
    EXPECT_EQ(w.TabStrip2->tabText(1), "Your Posts");
    EXPECT_EQ(w.TabStrip1->tabText(0), "Show All");
    EXPECT_EQ(w.TabStrip1->tabText(1), "New Replies ");
    EXPECT_EQ(w.statusPanels.size(), 3);
    EXPECT_TRUE(w.lstSizes->isHidden());
    EXPECT_TRUE(w.lstLogins->isHidden());
    EXPECT_TRUE(w.lstNew->isHidden());
    EXPECT_TRUE(w.cmdReplies->isHidden());
    EXPECT_TRUE(w.Frame3->isHidden());
    EXPECT_FALSE(w.Frame4->isHidden());
}

TEST(MainWindow, MenusInOrderWithTheirItems)
{
    TestApp t;
    MainWindow &w = t.start();
    QStringList menus;
    for (QAction *a : w.menuBar()->actions())
        menus.append(a->text());
    EXPECT_EQ(menus, QStringList({ "&File", "&Tools", "&View", "&Help", "About" }));
    auto captions = [](const QList<QAction *> &list) {
        QStringList out;
        for (QAction *a : list)
            out.append(a->text());
        return out;
    };
    EXPECT_EQ(captions(w.mnuFile), QStringList({ "&New Message", "&Save Message", "&Load Message", "E&xit" }));
    EXPECT_EQ(captions(w.mnuTools),
        QStringList({ "&Preview", "Auto &Insert", "&Check Replies", "&Options", "Paste Message", "Paste Subject",
            "Paste Username", "Paste Password" }));
    EXPECT_EQ(captions(w.mnuView), QStringList({ "&Saved Messages", "&All posts", "&Replies", "&Templates" }));
    EXPECT_EQ(captions(w.aboutMenuItem), QStringList({ "View &Help" }));
    EXPECT_EQ(w.mnuAboutItem->text(), "About this software");
}

TEST(MainWindow, EachMenuItemReachesItsAction)
{
    TestApp t;
    MainWindow &w = t.start();
    t.writeFile("Help.rtf", "{\\rtf1 help}");
    w.setMessageText("see http://a.b/c");
    w.cmbConvert->setCurrentIndex(2); // ubb
    // The first CR ends the link and is taken out of it; the LF stays.
    EXPECT_EQ(w.outgoingMessage(), "see [url=http://a.b/c]http://a.b/c[/url]\n\r\n");

    w.mnuTools[0]->trigger(); // Preview
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "message preview");
    EXPECT_EQ(t.dialogs.boxes[0].text, w.outgoingMessage());

    w.mnuFile[1]->trigger(); // Save Message
    EXPECT_EQ(w.statusText(1), "MESSAGE SAVED");
    w.mnuFile[2]->trigger(); // Load Message
    ASSERT_NE(w.savedMessagesWindow(), nullptr);
    EXPECT_TRUE(w.savedMessagesWindow()->isVisible());
    w.savedMessagesWindow()->close();

    w.mnuTools[3]->trigger(); // Options
    ASSERT_NE(w.templateEditor(), nullptr);
    EXPECT_TRUE(w.templateEditor()->isVisible());
    w.templateEditor()->hide();
    w.mnuView[3]->trigger(); // Templates
    EXPECT_TRUE(w.templateEditor()->isVisible());

    w.mnuView[2]->trigger(); // Replies
    EXPECT_EQ(w.TabStrip1->currentIndex(), 1);
    EXPECT_FALSE(w.lstNew->isHidden());
    EXPECT_TRUE(w.lstPosts->isHidden());
    w.mnuView[1]->trigger(); // All posts
    EXPECT_EQ(w.TabStrip1->currentIndex(), 0);
    EXPECT_TRUE(w.lstNew->isHidden());

    w.mnuTools[2]->trigger(); // Check Replies, nothing watched
    EXPECT_EQ(w.TabStrip1->currentIndex(), 1);
    EXPECT_EQ(w.statusText(1), "finished - 0 new replies found");
    EXPECT_TRUE(w.Frame3->isHidden()) << "the page stays hidden";

    w.mnuTools[1]->trigger(); // Auto Insert on a page without a body
    EXPECT_EQ(t.dialogs.lastText(), "Could not auto-insert your message.  Try pasting instead.");
    EXPECT_EQ(t.dialogs.boxes.last().title, "Auto-Insert Error");

    const int focus = t.fake->focusCalls;
    for (int i = 4; i <= 7; ++i)
        w.mnuTools[i]->trigger(); // the four pastes
    EXPECT_EQ(t.fake->focusCalls, focus + 4);

    w.aboutMenuItem[0]->trigger();
    ASSERT_NE(w.helpWindow(), nullptr);
    EXPECT_TRUE(w.helpWindow()->isVisible());
    w.mnuAboutItem->trigger();
    ASSERT_NE(w.aboutWindow(), nullptr);
    EXPECT_TRUE(w.aboutWindow()->isVisible());

    w.mnuFile[0]->trigger(); // New Message
    EXPECT_EQ(w.messageText(), "");
    EXPECT_EQ(w.txtSubject->text(), "");
}

TEST(MainWindow, FormatListFollowsTheTemplates)
{
    TestApp t;
    t.settings.write("data", "cust01Name", "four");
    t.settings.write("data", "cust03Name", "six");
    MainWindow &w = t.start();
    EXPECT_EQ(comboItems(w.cmbConvert), QStringList({ "text", "html", "ubb", "ezboard", "four", "six" }));
    EXPECT_EQ(w.cmbConvert->currentIndex(), 0);
    for (int i = 0; i < 8; ++i)
        w.templates().at(i).name.clear();
    w.updateInterface();
    EXPECT_EQ(comboItems(w.cmbConvert), QStringList({ "text" }));
}

TEST(MainWindow, TabPagesAndAddressBox)
{
    TestApp t;
    MainWindow &w = t.start();
    w.show();
    w.TabStrip2->setCurrentIndex(1);
    EXPECT_FALSE(w.Frame3->isHidden());
    EXPECT_TRUE(w.Frame4->isHidden());
    w.TabStrip2->setCurrentIndex(0);
    EXPECT_TRUE(w.Frame3->isHidden());
    EXPECT_FALSE(w.Frame4->isHidden());

    w.Text5->setText("example.org/forum");
    QTest::keyClick(w.Text5, Qt::Key_Return);
    w.Command3_Click();
    EXPECT_EQ(t.fake->navigated.mid(1), QStringList({ "example.org/forum", "example.org/forum" }));
    w.Command4_Click();
    w.Command5_Click();
    w.Command6_Click();
    w.Command7_Click(1);
    EXPECT_EQ(t.fake->stops, 1);
    EXPECT_EQ(t.fake->refreshes, 1);
    EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << "no history: nothing happens";
    w.Command1->click();
    EXPECT_EQ(t.fake->navigated.last(), "qrc:/start/start.html") << "the placeholder address would fail to load";
    EXPECT_TRUE(t.desktop.opened.isEmpty());
}

TEST(MainWindow, LayoutOnResize)
{
    TestApp t;
    MainWindow &w = t.start();
    w.show();
    w.resize(800, 600);
    QCoreApplication::processEvents();
    const WindowLayout &l = w.lastLayout();
    EXPECT_EQ(l.width, 800 * 15);
    EXPECT_EQ(l.frame2Width, 800 * 15 - 3840 - 240);
    EXPECT_EQ(w.Frame2->width(), twipsToPixels(l.frame2Width));
    EXPECT_EQ(t.fake->widget()->width(), twipsToPixels(l.webBrowserWidth));
    EXPECT_EQ(w.cmdPaste[3]->y(), 240);
    EXPECT_EQ(w.txtMessage->height(), twipsToPixels(2600));
    w.resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_GE(w.width() * 15, 7000 - 15);
    EXPECT_GE(w.height() * 15, 5000 - 15);
}

TEST(MainWindow, StatusTextsNeverGrowTheWindow)
{
    TestApp t;
    MainWindow &w = t.start();
    w.resize(700, 500);
    w.show();
    QCoreApplication::processEvents();
    const QSize before = w.size();
    for (int i = 0; i < 20; ++i) {
        w.setStatusText(1 + i % 3, QString(200, QLatin1Char('x')));
        QTest::qWait(5);
    }
    EXPECT_EQ(w.size(), before);
    const QRect panel3 = w.statusPanels[2]->geometry();
    EXPECT_LE(panel3.right(), w.width()) << "panels stay inside the window";
}

TEST(MainWindow, CopyPreviewAndUnknownFormat)
{
    TestApp t;
    MainWindow &w = t.start();
    w.setMessageText("mail me@x.org");
    w.cmbConvert->setCurrentIndex(1); // html
    w.cmdCopy_Click();
    EXPECT_EQ(t.desktop.clipboard, "mail <a href='mailto:me@x.org'>me@x.org</a>\n\r\n");
    w.setMessageText("");
    w.cmbConvert->setCurrentIndex(0);
    w.cmdPreview_Click();
    EXPECT_EQ(t.dialogs.lastText(), "\r\n\r\n") << "an empty message still carries its two line breaks";
}

TEST(MainWindow, ForumsAndLogins)
{
    TestApp t;
    MainWindow &w = t.start();
    t.fake->location = "http://forum.one/";
    w.cmdAdd2_Click();
    EXPECT_EQ(items(w.lstPosts2), QStringList({ "http://forum.one/" }));
    EXPECT_EQ(w.lstPosts2->currentRow(), 0);
    EXPECT_EQ(w.txtUsername->text(), "Enter Username");
    EXPECT_EQ(w.txtPassword->text(), "");
    EXPECT_TRUE(w.txtUsername->isEnabled());
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|Enter Username|\r\n\r\n"));

    w.cmdAdd2_Click();
    EXPECT_EQ(w.lstPosts2->count(), 1) << "a forum already listed is not added again";

    w.txtUsername->setText("bob");
    w.txtPassword->setText("p|ss");
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|bob|p|ss\r\n\r\n"));

    // A watched post's page can still be added as a forum.
    t.fake->location = QStringLiteral("http://127.0.0.1:%1/t").arg(closedLoopbackPort());
    w.cmdAdd_Click();
    w.cmdAdd2_Click();
    EXPECT_EQ(w.lstPosts2->count(), 2);
    EXPECT_EQ(w.txtUsername->text(), "Enter Username");

    // Selecting the first forum fills the boxes from its login.
    w.lstPosts2->setCurrentRow(0);
    EXPECT_EQ(w.txtUsername->text(), "bob");
    EXPECT_EQ(w.txtPassword->text(), "p|ss");
    EXPECT_EQ(w.statusText(2), "http://forum.one/");

    // Reload: the password with a bar survives.
    TestApp again;
    again.writeFile("posts2.txt", t.readFile("posts2.txt"));
    MainWindow &w2 = again.start();
    w2.lstPosts2->setCurrentRow(0);
    EXPECT_EQ(w2.txtPassword->text(), "p|ss");

    w.lstPosts2->setCurrentRow(1);
    w.cmdDel2_Click();
    EXPECT_EQ(items(w.lstPosts2), QStringList({ "http://forum.one/" }));
    EXPECT_EQ(items(w.lstLogins), QStringList({ "bob|p|ss" }));
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|bob|p|ss\r\n\r\n"));
    w.txtUsername->setText("nobody selected");
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|bob|p|ss\r\n\r\n"))
        << "no forum selected: nothing to store";
    w.lstPosts2->setCurrentRow(-1);
    w.cmdDel2_Click();
    EXPECT_EQ(w.lstPosts2->count(), 1) << "nothing selected: nothing removed";

    w.lstPosts2->setCurrentRow(0);
    emit w.lstPosts2->itemDoubleClicked(w.lstPosts2->item(0));
    EXPECT_EQ(t.fake->navigated.last(), "http://forum.one/");
    EXPECT_EQ(w.watchCountdown(), 0) << "opening a forum does not start the watch";
}

TEST(MainWindow, SaveLoginsErrorBox)
{
    TestApp t;
    MainWindow &w = t.start();
    t.fake->location = "http://forum.one/";
    // posts2.txt cannot be replaced while a folder stands in its place.
    QFile::remove(t.path("posts2.txt"));
    QDir(t.dir.path()).mkdir("posts2.txt");
    w.cmdAdd2_Click();
    ASSERT_FALSE(t.dialogs.boxes.isEmpty());
    const QString text = t.dialogs.boxes.last().text;
    EXPECT_TRUE(text.startsWith("There was an error saving your logins.\r\n\r\nError Number ")) << text.toStdString();
    EXPECT_EQ(t.dialogs.boxes.last().title, "Postmaven");
    EXPECT_EQ(w.lstPosts2->count(), 1) << "the list keeps its state";
}

TEST(MainWindow, WatchedPostsAndTheirSizes)
{
    ScriptServer server;
    server.setHandler([](const QByteArray &path) {
        return ScriptServer::response(QByteArray(path.mid(path.lastIndexOf('/') + 1).toInt(), 'x'));
    });
    TestApp t;
    MainWindow &w = t.start();
    QSignalSpy sized(w.sizeFetch(), &PageFetch::finished);
    t.fake->location = server.base() + "/post/700";
    w.cmdAdd_Click();
    ASSERT_TRUE(sized.wait(5000));
    EXPECT_EQ(items(w.lstPosts), QStringList({ server.base() + "/post/700" }));
    EXPECT_EQ(items(w.lstSizes), QStringList({ "700" }));
    EXPECT_EQ(w.statusText(2), "Response completed");

    // Two watches in a row: the second waits for the first.
    t.fake->location = server.base() + "/post/800";
    w.cmdAdd_Click();
    t.fake->location = server.base() + "/post/900";
    w.cmdAdd_Click();
    for (int i = 0; i < 2 && items(w.lstSizes) != QStringList({ "700", "800", "900" }); ++i)
        sized.wait(5000);
    EXPECT_EQ(items(w.lstSizes), QStringList({ "700", "800", "900" }));

    // Watching the same page again keeps one row and replaces its size.
    t.fake->location = server.base() + "/post/700";
    w.cmdAdd_Click();
    ASSERT_TRUE(sized.wait(5000));
    EXPECT_EQ(w.lstPosts->count(), 3);

    // Addresses differing by letter case or a trailing slash are separate watches.
    t.fake->location = server.base() + "/Post/700";
    w.cmdAdd_Click();
    ASSERT_TRUE(sized.wait(5000));
    EXPECT_EQ(w.lstPosts->count(), 4);

    w.lstPosts->setCurrentRow(1);
    w.cmdDel_Click();
    EXPECT_EQ(items(w.lstSizes), QStringList({ "700", "900", "700" }));
    EXPECT_EQ(w.statusText(2), server.base() + "/post/900") << "selection shows the address";

    emit w.lstPosts->itemDoubleClicked(w.lstPosts->item(0));
    EXPECT_EQ(w.watchCountdown(), 4);
    EXPECT_EQ(t.fake->navigated.last(), server.base() + "/post/700");
}

TEST(MainWindow, RemovingAWatchWhileItsSizeIsFetched)
{
    ScriptServer server;
    ScriptServer::Script slow;
    slow.pieces = { { "HTTP/1.1 200 OK\r\n\r\n", 0 }, { QByteArray(50, 's'), 300 } };
    server.route("/slow", slow);
    server.route("/other", ScriptServer::response("abc"));
    TestApp t;
    MainWindow &w = t.start();
    QSignalSpy sized(w.sizeFetch(), &PageFetch::finished);
    t.fake->location = server.base() + "/other";
    w.cmdAdd_Click();
    ASSERT_TRUE(sized.wait(5000));
    t.fake->location = server.base() + "/slow";
    w.cmdAdd_Click();
    w.lstPosts->setCurrentRow(1);
    w.cmdDel_Click();
    ASSERT_TRUE(sized.wait(5000));
    EXPECT_EQ(items(w.lstSizes), QStringList({ "3" })) << "the other post keeps its own size";
}

TEST(MainWindow, SizeFetchErrorBox)
{
    TestApp t;
    MainWindow &w = t.start();
    QSignalSpy failed(w.sizeFetch(), &PageFetch::failed);
    t.fake->location = QStringLiteral("http://127.0.0.1:%1/x").arg(closedLoopbackPort());
    w.cmdAdd_Click();
    ASSERT_TRUE(failed.wait(5000));
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Error");
    EXPECT_TRUE(t.dialogs.boxes[0].text.startsWith("Error occurred.\r\nError #: 10061\r\n"));
    EXPECT_EQ(t.dialogs.boxes[0].icon, DialogService::Icon::Exclamation);
    EXPECT_EQ(items(w.lstSizes), QStringList({ "" }));
    w.unload();
    EXPECT_EQ(t.readFile("sizes.txt"), QByteArray("none\r\n\r\n")) << "the files stay in step";
}

TEST(MainWindow, AutomaticWatchAfterInsert)
{
    TestApp t;
    MainWindow &w = t.start();
    // A posting page with a form: Auto-Insert writes and starts the countdown.
    t.fake->location = QStringLiteral("http://127.0.0.1:%1/post").arg(closedLoopbackPort());
    t.fake->body = QVariantMap { { "outer", "<body><form><textarea></textarea></form></body>" },
        { "inner", "<form><textarea></textarea></form>" } };
    w.setMessageText("Hello forum\r\nsecond line");
    QSignalSpy inserted(&w, &MainWindow::autoInsertDone);
    w.cmdMessage_Click();
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_TRUE(inserted.first().at(0).toBool());
    EXPECT_EQ(w.watchCountdown(), 4);
    EXPECT_EQ(w.insertedMessage(), "Hello forum\r\nsecond line\r\n\r\n");
    EXPECT_TRUE(t.readFile("htmltemp.txt").contains("<textarea"));

    // Three loads without the message, then the page that shows it.
    t.fake->body = QVariantMap { { "outer", "<body>thanks for posting</body>" }, { "inner", "thanks" } };
    for (int i = 0; i < 3; ++i)
        emit t.fake->downloadComplete();
    EXPECT_EQ(w.watchCountdown(), 1);
    EXPECT_EQ(w.lstPosts->count(), 0);
    t.fake->location = QStringLiteral("http://127.0.0.1:%1/thread").arg(closedLoopbackPort());
    t.fake->body = QVariantMap { { "outer", "<body><p>HELLO FORUM</p></body>" }, { "inner", "<p>HELLO FORUM</p>" } };
    emit t.fake->downloadComplete();
    EXPECT_EQ(items(w.lstPosts), QStringList({ t.fake->location }));
    EXPECT_EQ(w.watchCountdown(), 0);
    EXPECT_EQ(w.Text5->text(), t.fake->location);
    EXPECT_EQ(w.statusText(1), "Complete");

    // A fifth load is not searched.
    w.cmdMessage_Click();
    t.fake->body = QVariantMap { { "outer", "<body>nothing</body>" }, { "inner", "nothing" } };
    for (int i = 0; i < 4; ++i)
        emit t.fake->downloadComplete();
    t.fake->location = "http://127.0.0.1:1/late";
    t.fake->body = QVariantMap { { "outer", "<body>Hello forum</body>" }, { "inner", "Hello forum" } };
    emit t.fake->downloadComplete();
    EXPECT_EQ(w.lstPosts->count(), 1);
}

TEST(MainWindow, AutoInsertFailureStillStartsTheWatch)
{
    TestApp t;
    MainWindow &w = t.start();
    t.fake->body = QVariantMap { { "outer", "<body><form><textarea></textarea></form></body>" }, { "inner", "" } };
    t.fake->writeSucceeds = false;
    w.cmdMessage_Click();
    EXPECT_EQ(t.dialogs.lastText(), "Could not auto-insert your message.  Try pasting instead.");
    EXPECT_EQ(w.watchCountdown(), 4);

    t.fake->body = QVariantMap { { "outer", "<body><form><input name=a></form></body>" },
        { "inner", "<form><input name=a></form>" } };
    w.cmdMessage_Click();
    EXPECT_EQ(t.readFile("htmltemp.txt"), QByteArray("\r\n<form\r\n>\r\n<inputname=a>\r\n</form>\r\n\r\n"))
        << "the inner-HTML pass stays in htmltemp.txt";
}

TEST(MainWindow, BrowserEvents)
{
    TestApp t;
    MainWindow &w = t.start();
    emit t.fake->statusTextChange("http://hovered.link/");
    EXPECT_EQ(w.statusText(2), "http://hovered.link/");
    emit t.fake->downloadBegin();
    EXPECT_EQ(w.statusText(1), "Connecting");
    t.fake->location = "http://now.here/";
    emit t.fake->titleChange();
    EXPECT_EQ(w.Text5->text(), "http://now.here/");
    bool cancel = false;
    emit t.fake->newWindow2(&cancel);
    EXPECT_TRUE(cancel);
    w.Check1->setChecked(false);
    cancel = false;
    emit t.fake->newWindow2(&cancel);
    EXPECT_FALSE(cancel);
    // With no message inserted since start the key is empty: a watched post
    // opened from the list is watched again on its first load.
    w.setWatchCountdown(0);
    emit t.fake->downloadComplete();
    EXPECT_EQ(w.lstPosts->count(), 0) << "countdown at 0 changes nothing";
}
