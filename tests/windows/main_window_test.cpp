#include "app/side_windows.h"
#include "browser/auto_insert_controller.h"
#include "messages/saved_messages_window.h"
#include "messages/template_editor.h"
#include "net/page_fetch.h"
#include "panels/message_editor_panel.h"
#include "panels/status_panels.h"
#include "support/list_items.h"
#include "support/script_server.h"
#include "support/test_app.h"
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "watch/reply_check.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

namespace {
// Each menu's title, then its items, as the menu bar shows them.
QList<QStringList> menus(const MainWindow &w)
{
    QList<QStringList> out;
    for (QAction *menu : w.menuBar()->actions()) {
        QStringList items = { menu->text() };
        for (QAction *item : menu->menu()->actions())
            if (!item->isSeparator())
                items.append(item->text());
        out.append(items);
    }
    return out;
}
} // namespace

TEST(MainWindow, EveryControlByNameWithCaptionAndTooltip)
{
    TestApp t;
    t.start();
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
        auto *b = t.find<QAbstractButton>(r.name);
        ASSERT_NE(b, nullptr) << r.name;
        EXPECT_EQ(b->text(), QLatin1String(r.caption)) << r.name;
        // A command's shortcut may follow the tip.
        EXPECT_EQ(b->toolTip().left(qstrlen(r.tip)), QLatin1String(r.tip)) << r.name;
    }
    const QList<QPair<const char *, const char *>> labels = { { "Label2", "as" }, { "Label1", "Subject:" },
        { "SkinLabel6", "Subject:" }, { "Label7", "Message:" }, { "SkinLabel7", "Message:" }, { "Label5", "URL:" },
        { "SkinLabel4", "Username:" }, { "SkinLabel5", "Password:" } };
    for (const auto &l : labels) {
        auto *label = t.find<QLabel>(l.first);
        ASSERT_NE(label, nullptr) << l.first;
        EXPECT_EQ(label->text(), QLatin1String(l.second)) << l.first;
    }
    EXPECT_EQ(t.find<QGroupBox>("Frame1")->title(), "Message Editor");
    EXPECT_EQ(t.find<QGroupBox>("Frame2")->title(), "Browser");
    for (const char *name : { "txtSubject", "Text5", "txtUsername", "txtPassword" })
        EXPECT_NE(t.find<QLineEdit>(name), nullptr) << name;
    EXPECT_NE(t.find<QPlainTextEdit>("txtMessage"), nullptr);
    for (const char *name : { "lstPosts", "lstSizes", "lstNew", "lstPosts2", "lstLogins" })
        EXPECT_NE(t.find<QListView>(name), nullptr) << name;
    EXPECT_EQ(t.find<QComboBox>("cmbConvert")->toolTip(),
        "Select the format you would like to use when your message is inserted.");
    EXPECT_EQ(t.find("WebBrowser1"), t.fake->widget());
    EXPECT_EQ(t.find<QLineEdit>("txtPassword")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(t.find<QAbstractButton>("Check1")->isChecked());
    EXPECT_FALSE(t.find("txtUsername")->isEnabled());
    EXPECT_FALSE(t.find("txtPassword")->isEnabled());
    EXPECT_EQ(t.find<QTabBar>("TabStrip2")->tabText(0), "Your Forums");
    EXPECT_EQ(t.find<QTabBar>("TabStrip2")->tabText(1), "Your Posts");
    EXPECT_EQ(t.find<QTabBar>("TabStrip1")->tabText(0), "Show All");
    EXPECT_EQ(t.find<QTabBar>("TabStrip1")->tabText(1), "New Replies ");
    for (const char *name : { "StatusBar1_panel1", "StatusBar1_panel2", "StatusBar1_panel3" })
        EXPECT_NE(t.find<QLabel>(name), nullptr) << name;
    for (const char *name : { "lstSizes", "lstLogins", "lstNew", "cmdReplies", "Frame3" })
        EXPECT_TRUE(t.find(name)->isHidden()) << name;
    EXPECT_FALSE(t.find("Frame4")->isHidden());
}

TEST(MainWindow, MenusInOrderWithTheirItems)
{
    TestApp t;
    MainWindow &w = t.start();
    const QList<QStringList> expected = {
        { "&File", "&New Message", "&Save Message", "&Load Message", "E&xit" },
        { "&Tools", "&Preview", "Auto &Insert", "&Check Replies", "&Options", "Paste Message", "Paste Subject",
            "Paste Username", "Paste Password", "Check Replies &Automatically", "Keep Passwords in the File" },
        { "&View", "&Saved Messages", "&All posts", "&Replies", "&Templates" },
        { "&Help", "View &Help" },
        { "About", "About this software" },
    };
    EXPECT_EQ(menus(w), expected);
}

TEST(MainWindow, EachMenuItemReachesItsAction)
{
    TestApp t;
    const QString post = QStringLiteral("http://127.0.0.1:%1/t").arg(closedLoopbackPort());
    t.writeFile("posts.txt", (post + "\r\n\r\n").toUtf8());
    t.writeFile("sizes.txt", "100\r\n\r\n");
    MainWindow &w = t.start();
    t.writeFile("Help.rtf", "{\\rtf1 help}");
    w.messageEditor().setMessageText("see http://a.b/c");
    t.find<QComboBox>("cmbConvert")->setCurrentIndex(2); // ubb
    // The first CR ends the link and is taken out of it; the LF stays.
    EXPECT_EQ(w.outgoingMessage(), "see [url=http://a.b/c]http://a.b/c[/url]\n\r\n");

    t.trigger("previewMessage");
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].title, "message preview");
    EXPECT_EQ(t.dialogs.boxes[0].text, w.outgoingMessage());

    t.trigger("saveMessage");
    EXPECT_EQ(w.statusText(1), "MESSAGE SAVED");
    t.trigger("loadMessage");
    ASSERT_NE(w.sideWindows().savedMessages(), nullptr);
    EXPECT_TRUE(w.sideWindows().savedMessages()->isVisible());
    w.sideWindows().savedMessages()->close();

    t.trigger("showTemplateEditor");
    ASSERT_NE(w.sideWindows().templateEditor(), nullptr);
    EXPECT_TRUE(w.sideWindows().templateEditor()->isVisible());
    w.sideWindows().templateEditor()->hide();
    t.trigger("showTemplates");
    EXPECT_TRUE(w.sideWindows().templateEditor()->isVisible());

    auto *postsTabs = t.find<QTabBar>("TabStrip1");
    t.trigger("showReplies");
    EXPECT_EQ(postsTabs->currentIndex(), 1);
    EXPECT_FALSE(t.find("lstNew")->isHidden());
    EXPECT_TRUE(t.find("lstPosts")->isHidden());
    t.trigger("showAllPosts");
    EXPECT_EQ(postsTabs->currentIndex(), 0);
    EXPECT_TRUE(t.find("lstNew")->isHidden());

    QSignalSpy finished(&w.checkRun(), &ReplyCheckRun::finished);
    t.trigger("checkReplies");
    EXPECT_EQ(postsTabs->currentIndex(), 1);
    EXPECT_TRUE(t.find("Frame3")->isHidden()) << "the page stays hidden";
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(w.statusText(1).startsWith("finished - 0 new replies found")) << w.statusText(1).toStdString();

    t.trigger("autoInsert"); // on a page without a body
    EXPECT_EQ(t.dialogs.lastText(), "Could not auto-insert your message.  Try pasting instead.");
    EXPECT_EQ(t.dialogs.boxes.last().title, "Auto-Insert Error");

    w.messageEditor().setSubjectText("the subject");
    for (const char *paste : { "pasteMessage", "pasteSubject", "pasteUserName" })
        t.trigger(paste);
    EXPECT_EQ(t.fake->focusCalls, 3);
    EXPECT_EQ(t.fake->typed, QStringList({ w.outgoingMessage(), "the subject", "" }));

    t.trigger("showHelp");
    ASSERT_NE(w.sideWindows().help(), nullptr);
    EXPECT_TRUE(w.sideWindows().help()->isVisible());
    t.trigger("showAbout");
    ASSERT_NE(w.sideWindows().about(), nullptr);
    EXPECT_TRUE(w.sideWindows().about()->isVisible());

    t.trigger("newMessage");
    EXPECT_EQ(w.messageEditor().messageText(), "");
    EXPECT_EQ(t.find<QLineEdit>("txtSubject")->text(), "");
}

TEST(MainWindow, ButtonsDoWhatTheirMenuItemsDo)
{
    TestApp t;
    MainWindow &w = t.start();
    w.messageEditor().setMessageText("mail me@x.org");
    t.find<QComboBox>("cmbConvert")->setCurrentIndex(1); // html
    t.click("cmdCopy");
    EXPECT_EQ(t.desktop.clipboard, "mail <a href='mailto:me@x.org'>me@x.org</a>\n\r\n");
    w.messageEditor().setMessageText("");
    t.find<QComboBox>("cmbConvert")->setCurrentIndex(0);
    t.click("cmdPreview");
    EXPECT_EQ(t.dialogs.lastText(), "\r\n\r\n") << "an empty message still carries its two line breaks";

    t.click("cmdSave");
    EXPECT_EQ(w.statusText(1), "MESSAGE SAVED");
    t.click("cmdLoad");
    ASSERT_NE(w.sideWindows().savedMessages(), nullptr);
    t.click("cmdOptions");
    ASSERT_NE(w.sideWindows().templateEditor(), nullptr);
    t.click("cmdMessage");
    EXPECT_EQ(t.dialogs.boxes.last().title, "Auto-Insert Error");
    w.messageEditor().setSubjectText("subject");
    t.click("cmdPaste_0");
    t.click("cmdPaste_3");
    EXPECT_EQ(t.fake->typed, QStringList({ "subject", "\r\n\r\n" }));
}

TEST(MainWindow, FormatListFollowsTheTemplates)
{
    TestApp t;
    t.settings.write("data", "cust01Name", "four");
    t.settings.write("data", "cust03Name", "six");
    MainWindow &w = t.start();
    auto *formats = t.find<QComboBox>("cmbConvert");
    EXPECT_EQ(comboItems(formats), QStringList({ "text", "html", "ubb", "ezboard", "four", "six" }));
    EXPECT_EQ(formats->currentIndex(), 0);
    for (int i = 0; i < 8; ++i)
        w.templates().at(i).name.clear();
    w.updateInterface();
    EXPECT_EQ(comboItems(formats), QStringList({ "text" }));
}

TEST(MainWindow, TabPagesAndBrowserButtons)
{
    TestApp t;
    MainWindow &w = t.start();
    w.show();
    auto *pages = t.find<QTabBar>("TabStrip2");
    pages->setCurrentIndex(1);
    EXPECT_FALSE(t.find("Frame3")->isHidden());
    EXPECT_TRUE(t.find("Frame4")->isHidden());
    pages->setCurrentIndex(0);
    EXPECT_TRUE(t.find("Frame3")->isHidden());
    EXPECT_FALSE(t.find("Frame4")->isHidden());

    auto *address = t.find<QLineEdit>("Text5");
    address->setText("example.org/forum");
    QTest::keyClick(address, Qt::Key_Return);
    t.click("Command3");
    EXPECT_EQ(t.fake->navigated.mid(1), QStringList({ "example.org/forum", "example.org/forum" }))
        << "Enter in the address box is Go; no scheme is added";
    t.fake->setNavigation(true, true, true);
    t.click("Command4");
    t.click("Command5");
    t.click("Command6");
    t.click("Command7_1");
    EXPECT_EQ(t.fake->backs, 1);
    EXPECT_EQ(t.fake->forwards, 1);
    EXPECT_EQ(t.fake->stops, 1);
    EXPECT_EQ(t.fake->refreshes, 1);
    t.click("Command1");
    EXPECT_EQ(t.fake->navigated.last(), "qrc:/start/start.html") << "the placeholder address would fail to load";
    EXPECT_TRUE(t.desktop.opened.isEmpty());
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
        const QByteArray panel = "StatusBar1_panel" + QByteArray::number(1 + i % 3);
        t.find<QLabel>(panel.constData())->setText(QString(200, QLatin1Char('x')));
        QTest::qWait(5);
    }
    EXPECT_EQ(w.size(), before);
    EXPECT_LE(t.find("StatusBar1_panel3")->geometry().right(), w.width()) << "panels stay inside the window";
}

TEST(MainWindow, ForumsAndLogins)
{
    TestApp t;
    MainWindow &w = t.start();
    auto *forums = t.find<QListView>("lstPosts2");
    auto *user = t.find<QLineEdit>("txtUsername");
    auto *password = t.find<QLineEdit>("txtPassword");
    t.fake->location = "http://forum.one/";
    t.click("cmdAdd2");
    EXPECT_EQ(items(forums), QStringList({ "http://forum.one/" }));
    EXPECT_EQ(currentRow(forums), 0);
    EXPECT_EQ(user->text(), "") << "the user name box only suggests one";
    EXPECT_EQ(user->placeholderText(), "Enter Username");
    EXPECT_EQ(password->text(), "");
    EXPECT_TRUE(user->isEnabled());
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|\r\n\r\n")) << "no user name is stored";

    t.click("cmdAdd2");
    EXPECT_EQ(items(forums).size(), 1) << "a forum already listed is not added again";

    user->setText("bob");
    password->setText("p|ss");
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|bob|p|ss\r\n\r\n"));
    EXPECT_EQ(items(t.find<QListView>("lstLogins")), QStringList({ "bob|p|ss" })) << "the login list runs in step";

    // A watched post's page can still be added as a forum.
    t.fake->location = QStringLiteral("http://127.0.0.1:%1/t").arg(closedLoopbackPort());
    t.click("cmdAdd");
    t.click("cmdAdd2");
    EXPECT_EQ(items(forums).size(), 2);
    EXPECT_EQ(user->text(), "");

    // Selecting the first forum fills the boxes from its login.
    selectRow(forums, 0);
    EXPECT_EQ(user->text(), "bob");
    EXPECT_EQ(password->text(), "p|ss");
    EXPECT_EQ(w.statusText(2), "http://forum.one/");
    t.fake->location = "http://forum.one/login";
    t.click("cmdPaste_2");
    EXPECT_EQ(t.fake->typed, QStringList({ "p|ss" })) << "the forum's own page: typed without a question";

    // Reload: the password with a bar survives.
    TestApp again;
    again.writeFile("posts2.txt", t.readFile("posts2.txt"));
    again.start();
    selectRow(again.find<QListView>("lstPosts2"), 0);
    EXPECT_EQ(again.find<QLineEdit>("txtPassword")->text(), "p|ss");

    selectRow(forums, 1);
    t.click("cmdDel2");
    EXPECT_EQ(items(forums), QStringList({ "http://forum.one/" }));
    EXPECT_EQ(items(t.find<QListView>("lstLogins")), QStringList({ "bob|p|ss" }));
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|bob|p|ss\r\n\r\n"));
    user->setText("nobody selected");
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|bob|p|ss\r\n\r\n"))
        << "no forum selected: nothing to store";
    selectRow(forums, -1);
    t.click("cmdDel2");
    EXPECT_EQ(items(forums).size(), 1) << "nothing selected: nothing removed";

    doubleClickRow(forums, 0);
    EXPECT_EQ(t.fake->navigated.last(), "http://forum.one/");
    EXPECT_EQ(w.autoInsertController().watchCountdown(), 0) << "opening a forum does not start the watch";
}

TEST(MainWindow, WatchedPostsAndTheirSizes)
{
    ScriptServer server;
    server.setHandler([](const QByteArray &path) {
        return ScriptServer::response(QByteArray(path.mid(path.lastIndexOf('/') + 1).toInt(), 'x'));
    });
    TestApp t;
    MainWindow &w = t.start();
    auto *posts = t.find<QListView>("lstPosts");
    auto *sizes = t.find<QListView>("lstSizes");
    QSignalSpy sized(&w.sizeChannel(), &PageFetch::finished);
    for (const char *path : { "/post/700", "/post/800", "/post/900" }) {
        t.fake->location = server.base() + path;
        t.click("cmdAdd");
    }
    for (int i = 0; i < 3 && items(sizes) != QStringList({ "700", "800", "900" }); ++i)
        sized.wait(5000);
    EXPECT_EQ(items(sizes), QStringList({ "700", "800", "900" }));
    EXPECT_EQ(items(posts).size(), 3);
    EXPECT_EQ(w.statusText(2), "Response completed");

    selectRow(posts, 1);
    EXPECT_EQ(w.statusText(2), server.base() + "/post/800") << "selection shows the address";
    t.click("cmdDel");
    EXPECT_EQ(items(sizes), QStringList({ "700", "900" }));
    EXPECT_EQ(w.statusText(2), server.base() + "/post/900") << "the post that moved up is shown";
    t.click("cmdDel");
    EXPECT_EQ(items(posts).size(), 2) << "it is current, not selected: nothing removed";

    doubleClickRow(posts, 0);
    EXPECT_EQ(w.autoInsertController().watchCountdown(), 4);
    EXPECT_EQ(t.fake->navigated.last(), server.base() + "/post/700");
}

TEST(MainWindow, AutomaticWatchAfterInsert)
{
    TestApp t;
    t.start();
    t.fake->location = QStringLiteral("http://127.0.0.1:%1/post").arg(closedLoopbackPort());
    t.fake->body = QVariantMap { { "outer", "<body><form><textarea></textarea></form></body>" },
        { "inner", "<form><textarea></textarea></form>" } };
    t.window->messageEditor().setMessageText("Hello forum\r\nsecond line");
    t.click("cmdMessage");
    EXPECT_TRUE(t.dialogs.boxes.isEmpty());

    t.fake->location = QStringLiteral("http://127.0.0.1:%1/thread").arg(closedLoopbackPort());
    t.fake->body = QVariantMap { { "outer", "<body><p>HELLO FORUM</p></body>" }, { "inner", "<p>HELLO FORUM</p>" } };
    emit t.fake->loadFinished(true);
    EXPECT_EQ(items(t.find<QListView>("lstPosts")), QStringList({ t.fake->location }));
    EXPECT_EQ(t.find<QLineEdit>("Text5")->text(), t.fake->location);
    EXPECT_EQ(t.window->statusText(1), "Complete");
}

TEST(MainWindow, BrowserEvents)
{
    TestApp t;
    MainWindow &w = t.start();
    emit t.fake->linkHovered("http://hovered.link/");
    EXPECT_EQ(w.statusText(2), "http://hovered.link/");
    emit t.fake->loadStarted();
    EXPECT_EQ(w.statusText(1), "Connecting");
    emit t.fake->urlChanged("http://now.here/");
    EXPECT_EQ(t.find<QLineEdit>("Text5")->text(), "http://now.here/");
    NewWindowRequest popup;
    emit t.fake->newWindowRequested(popup);
    EXPECT_TRUE(popup.isRejected());
    t.click("Check1");
    NewWindowRequest allowed;
    emit t.fake->newWindowRequested(allowed);
    EXPECT_FALSE(allowed.isRejected());
}

TEST(MainWindow, ALoginReadsBackAsItWasTyped)
{
    struct Row {
        const char *name;
        const char *page;
        const char *typedUser;
        const char *password;
        const char *user; // as it reads back
        const char *address;
    };
    const QList<Row> rows = {
        { "a bar typed into the user name is refused", "http://forum.one/", "bo|b", "pw", "bob", "http://forum.one/" },
        { "a password with bars", "http://forum.one/", "bob", "p|w|", "bob", "http://forum.one/" },
        { "an address with a bar", "http://forum.one/a|b", "bob", "pw", "bob", "http://forum.one/a%7Cb" },
    };
    for (const Row &r : rows) {
        TestApp t;
        t.start();
        t.fake->location = r.page;
        t.click("cmdAdd2");
        QTest::keyClicks(t.find<QLineEdit>("txtUsername"), r.typedUser);
        t.find<QLineEdit>("txtPassword")->setText(r.password);

        TestApp again;
        again.writeFile("posts2.txt", t.readFile("posts2.txt"));
        again.start();
        auto *forums = again.find<QListView>("lstPosts2");
        selectRow(forums, 0);
        EXPECT_EQ(items(forums), QStringList({ r.address })) << r.name;
        EXPECT_EQ(again.find<QLineEdit>("txtUsername")->text(), r.user) << r.name;
        EXPECT_EQ(again.find<QLineEdit>("txtPassword")->text(), r.password) << r.name;
    }
}

TEST(MainWindow, AForumWithoutALoginEmptiesTheBoxes)
{
    TestApp t;
    t.writeFile("posts2.txt", "http://one/|bob|pw\r\n\r\nhttp://two/\r\n\r\n");
    t.start();
    auto *forums = t.find<QListView>("lstPosts2");
    auto *user = t.find<QLineEdit>("txtUsername");
    selectRow(forums, 0);
    EXPECT_EQ(user->text(), "bob");
    selectRow(forums, 1);
    EXPECT_EQ(user->text(), "");
    EXPECT_EQ(t.find<QLineEdit>("txtPassword")->text(), "");
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://one/|bob|pw\r\n\r\nhttp://two/|\r\n\r\n"))
        << "the first forum's login is not carried over";
    user->setText("al");
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://one/|bob|pw\r\n\r\nhttp://two/|al|\r\n\r\n"));
}

TEST(MainWindow, PastePasswordAsksBeforeTypingIntoAnotherSite)
{
    struct Row {
        const char *name;
        const char *page;
        int forumRow; // -1: none selected
        QList<bool> answers;
        bool typed;
        const char *question;
    };
    const QList<Row> rows = {
        { "the forum's own page", "http://Forum.One/login", 0, {}, true, nullptr },
        { "another site, answered No", "http://evil.example/login", 0, { false }, false,
            "This page is on evil.example, the login is for forum.one. Type the password anyway?" },
        { "another site, answered Yes", "http://evil.example/login", 0, { true }, true,
            "This page is on evil.example, the login is for forum.one. Type the password anyway?" },
    };
    for (const Row &r : rows) {
        TestApp t;
        t.writeFile("posts2.txt", "http://forum.one/board|bob|secret\r\n\r\n");
        t.start();
        selectRow(t.find<QListView>("lstPosts2"), r.forumRow);
        t.fake->location = r.page;
        t.dialogs.answers = r.answers;
        t.click("cmdPaste_2");
        EXPECT_EQ(t.fake->typed, r.typed ? QStringList({ "secret" }) : QStringList()) << r.name;
        EXPECT_EQ(t.dialogs.questions, r.question ? 1 : 0) << r.name;
        if (r.question && !t.dialogs.boxes.isEmpty())
            EXPECT_EQ(t.dialogs.boxes.last().text, QLatin1String(r.question)) << r.name;
    }
}

TEST(MainWindow, TheSubjectIsOneLine)
{
    TestApp t;
    MainWindow &w = t.start();
    auto *subject = t.find<QLineEdit>("txtSubject");
    subject->setText("first\r\nsecond\nthird|fourth");
    EXPECT_EQ(subject->text(), "first second third|fourth");
    EXPECT_EQ(t.settings.read("data", "lastSubject", ""), "first second third|fourth");
    w.messageEditor().setSubjectText("a\rb");
    EXPECT_EQ(w.messageEditor().subjectText(), "a b");
}

TEST(MainWindow, TheHtmlFormatGoesIntoAnEditorAsMarkup)
{
    TestApp t;
    t.start();
    t.fake->body = QVariantMap { { "outer", "<body><div contenteditable></div></body>" },
        { "inner", "<div contenteditable></div>" } };
    t.fake->pageAnswers = { QVariantMap { { "ok", true } } };
    t.window->messageEditor().setMessageText("Hello <b>forum</b>");
    t.find<QComboBox>("cmbConvert")->setCurrentText("html");
    t.click("cmdMessage");
    ASSERT_EQ(t.fake->pageScripts.size(), 1);
    EXPECT_TRUE(t.fake->pageScripts[0].contains(R"(","<p>Hello <b>forum</b></p>",true,)"))
        << t.fake->pageScripts[0].right(80).toStdString();
    EXPECT_TRUE(t.dialogs.boxes.isEmpty());
}

TEST(MainWindow, ACheckRunListsThePostsItCouldNotReachInTheStatusTip)
{
    ScriptServer server;
    server.route("", ScriptServer::response(QByteArray(100, 'x')));
    TestApp t;
    const QString dead = QStringLiteral("http://127.0.0.1:%1/gone").arg(closedLoopbackPort());
    t.writeFile("posts.txt", (dead + "\r\n\r\n" + server.base() + "/fine\r\n\r\n").toUtf8());
    t.writeFile("sizes.txt", "100\r\n\r\n100\r\n\r\n");
    MainWindow &w = t.start();
    QSignalSpy finished(&w.checkRun(), &ReplyCheckRun::finished);
    // What panel 1 says as each post is done.
    QStringList progress;
    QObject::connect(&w.checkRun(), &ReplyCheckRun::progress, [&] { progress.append(w.statusText(1)); });
    t.trigger("checkReplies");
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(progress.size(), 3);
    EXPECT_TRUE(progress.last().contains("2 of 2")) << progress.join(" | ").toStdString();
    EXPECT_EQ(w.statusText(1), "finished - 0 new replies found, 1 could not be checked");
    const QString tip = t.find<QLabel>("StatusBar1_panel1")->toolTip();
    EXPECT_TRUE(tip.startsWith(dead + ": ")) << tip.toStdString();
    EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << "no box for a post a run could not check";
}
