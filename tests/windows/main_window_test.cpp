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
#include <QApplication>
#include <QComboBox>
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
// Each menu's items by the names of their commands, as the menu bar holds them.
QList<QStringList> menus(const MainWindow &w)
{
    QList<QStringList> out;
    for (QAction *menu : w.menuBar()->actions()) {
        QStringList items;
        for (QAction *item : menu->menu()->actions())
            if (!item->isSeparator())
                items.append(item->objectName());
        out.append(items);
    }
    return out;
}

} // namespace

TEST(MainWindow, EveryControlIsThereByNameAsTheWindowOpens)
{
    TestApp t;
    t.start();
    // Buttons are found by name where their commands run.
    for (const char *name : { "Label2", "Label1", "SkinLabel6", "Label7", "SkinLabel7", "Label5", "SkinLabel4",
             "SkinLabel5", "StatusBar1_panel1", "StatusBar1_panel2", "StatusBar1_panel3" })
        t.find<QLabel>(name);
    for (const char *name : { "txtSubject", "Text5", "txtUsername", "txtPassword" })
        t.find<QLineEdit>(name);
    for (const char *name : { "lstPosts", "lstSizes", "lstNew", "lstPosts2", "lstLogins" })
        t.find<QListView>(name);
    for (const char *name : { "Frame1", "Frame2" })
        t.find<QGroupBox>(name);
    for (const char *name : { "TabStrip1", "TabStrip2" })
        t.find<QTabBar>(name);
    t.find<QPlainTextEdit>("txtMessage");
    t.find<QComboBox>("cmbConvert");
    EXPECT_EQ(t.find("WebBrowser1"), t.fake->widget());
    EXPECT_EQ(t.find<QLineEdit>("txtPassword")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(t.find<QAbstractButton>("Check1")->isChecked());
    EXPECT_FALSE(t.find("txtUsername")->isEnabled());
    EXPECT_FALSE(t.find("txtPassword")->isEnabled());
    for (const char *name : { "lstSizes", "lstLogins", "lstNew", "cmdReplies", "Frame3" })
        EXPECT_TRUE(t.find(name)->isHidden()) << name;
    EXPECT_FALSE(t.find("Frame4")->isHidden());
}

TEST(MainWindow, MenusInOrderWithTheirCommands)
{
    TestApp t;
    const QList<QStringList> expected = {
        { "newMessage", "saveMessage", "loadMessage", "exit" },
        { "previewMessage", "autoInsert", "checkReplies", "showTemplateEditor", "pasteMessage", "pasteSubject",
            "pasteUserName", "pastePassword", "chooseAutoCheck", "keepPasswordsInFile" },
        { "showSavedMessages", "showAllPosts", "showReplies", "showTemplates" },
        { "showHelp" },
        { "showAbout" },
    };
    EXPECT_EQ(menus(t.start()), expected);
}

TEST(MainWindow, EveryCommandRunsFromItsMenuItemItsButtonAndItsKeys)
{
    using Check = std::function<void(TestApp &)>;
    // Paste gives the keyboard focus back to the page, then types.
    const auto typed = [](const QString &text) {
        return [text](TestApp &t) {
            EXPECT_EQ(t.fake->focusCalls, 1);
            EXPECT_EQ(t.fake->typed, QStringList({ text }));
        };
    };
    const auto shown = [](QWidget *(*window)(const SideWindows &)) {
        return [window](TestApp &t) {
            QWidget *w = window(t.window->sideWindows());
            EXPECT_TRUE(w && w->isVisible());
        };
    };
    const auto savedMessages = shown([](const SideWindows &s) -> QWidget * { return s.savedMessages(); });
    const auto templateEditor = shown([](const SideWindows &s) -> QWidget * { return s.templateEditor(); });
    const auto showingReplies = [](TestApp &t) {
        EXPECT_EQ(t.find<QTabBar>("TabStrip1")->currentIndex(), 1);
        EXPECT_FALSE(t.find("lstNew")->isHidden());
        EXPECT_TRUE(t.find("lstPosts")->isHidden());
    };
    struct Row {
        const char *action;
        const char *button; // none: the menu only
        QKeyCombination keys; // none: Key_unknown
        Check done;
        Check prepare = [](TestApp &) {};
    };
    const QKeyCombination noKeys;
    const QList<Row> rows = {
        { "newMessage", nullptr, Qt::CTRL | Qt::Key_N,
            [](TestApp &t) {
                EXPECT_EQ(t.window->messageEditor().messageText(), "");
                EXPECT_EQ(t.find<QLineEdit>("txtSubject")->text(), "");
            } },
        { "saveMessage", "cmdSave", Qt::CTRL | Qt::Key_S,
            [](TestApp &t) {
                EXPECT_EQ(t.readFile("messages.txt"), "see http://a.b/c|the subject\r\n");
                EXPECT_EQ(t.window->statusText(1), "MESSAGE SAVED");
            } },
        { "loadMessage", "cmdLoad", Qt::CTRL | Qt::Key_O, savedMessages },
        { "showSavedMessages", nullptr, noKeys, savedMessages },
        { "exit", nullptr, noKeys, [](TestApp &t) { EXPECT_TRUE(t.window->isUnloaded()); } },
        { "previewMessage", "cmdPreview", Qt::CTRL | Qt::SHIFT | Qt::Key_P,
            [](TestApp &t) {
                ASSERT_EQ(t.dialogs.boxes.size(), 1);
                EXPECT_EQ(t.dialogs.boxes[0].title, "message preview");
                EXPECT_EQ(t.dialogs.boxes[0].text, t.window->outgoingMessage());
            } },
        { "autoInsert", "cmdMessage", Qt::CTRL | Qt::Key_I, // on a page without a body
            [](TestApp &t) { EXPECT_EQ(t.dialogs.boxes.last().title, "Auto-Insert Error"); } },
        // The message and two line breaks, converted: the first CR ends the
        // link and is taken out of it; the LF stays.
        { "copyMessage", "cmdCopy", Qt::CTRL | Qt::SHIFT | Qt::Key_C,
            [](TestApp &t) { EXPECT_EQ(t.desktop.clipboard, "see [url=http://a.b/c]http://a.b/c[/url]\n\r\n"); } },
        { "showTemplateEditor", "cmdOptions", noKeys, templateEditor },
        { "showTemplates", nullptr, noKeys, templateEditor },
        { "pasteMessage", "cmdPaste_3", noKeys, [&](TestApp &t) { typed(t.window->outgoingMessage())(t); } },
        { "pasteSubject", "cmdPaste_0", noKeys, typed("the subject") },
        { "pasteUserName", "cmdPaste_1", noKeys, typed("bob") },
        { "pastePassword", "cmdPaste_2", noKeys, typed("secret") },
        { "checkReplies", "cmdReplies", noKeys,
            [&](TestApp &t) {
                showingReplies(t);
                EXPECT_TRUE(t.find("Frame3")->isHidden()) << "the page stays hidden";
                QSignalSpy finished(&t.window->checkRun(), &ReplyCheckRun::finished);
                ASSERT_TRUE(finished.wait(10000));
                EXPECT_TRUE(t.window->statusText(1).startsWith("finished - 0 new replies found"))
                    << t.window->statusText(1).toStdString();
            } },
        { "showReplies", nullptr, noKeys, showingReplies },
        { "showAllPosts", nullptr, noKeys,
            [](TestApp &t) {
                EXPECT_EQ(t.find<QTabBar>("TabStrip1")->currentIndex(), 0);
                EXPECT_TRUE(t.find("lstNew")->isHidden());
            },
            [](TestApp &t) { t.find<QTabBar>("TabStrip1")->setCurrentIndex(1); } },
        { "showHelp", nullptr, noKeys, shown([](const SideWindows &s) -> QWidget * { return s.help(); }) },
        { "showAbout", nullptr, noKeys, shown([](const SideWindows &s) -> QWidget * { return s.about(); }) },
        { "goToAddress", "Command3", noKeys,
            [](TestApp &t) { EXPECT_EQ(t.fake->navigated.last(), "example.org/forum") << "no scheme is added"; },
            [](TestApp &t) { t.find<QLineEdit>("Text5")->setText("example.org/forum"); } },
        { "focusAddress", nullptr, Qt::CTRL | Qt::Key_L,
            [](TestApp &t) {
                auto *box = t.find<QLineEdit>("Text5");
                EXPECT_EQ(QApplication::focusWidget(), box);
                EXPECT_EQ(box->selectedText(), box->text());
            } },
        { "goBack", "Command4", Qt::ALT | Qt::Key_Left, [](TestApp &t) { EXPECT_EQ(t.fake->backs, 1); } },
        { "goForward", "Command5", Qt::ALT | Qt::Key_Right, [](TestApp &t) { EXPECT_EQ(t.fake->forwards, 1); } },
        { "stopLoading", "Command6", QKeyCombination(Qt::Key_Escape), [](TestApp &t) { EXPECT_EQ(t.fake->stops, 1); } },
        { "refreshPage", "Command7_1", QKeyCombination(Qt::Key_F5),
            [](TestApp &t) { EXPECT_EQ(t.fake->refreshes, 1); } },
        // The placeholder address would fail to load: the start page instead.
        { "visitPublisher", "Command1", noKeys,
            [](TestApp &t) {
                EXPECT_EQ(t.fake->navigated.last(), "qrc:/start/start.html");
                EXPECT_TRUE(t.desktop.opened.isEmpty());
            } },
        { "addCurrentForum", "cmdAdd2", noKeys,
            [](TestApp &t) { EXPECT_EQ(items(t.find<QListView>("lstPosts2")).last(), "http://forum.two/"); },
            [](TestApp &t) { t.fake->location = "http://forum.two/"; } },
        { "removeForum", "cmdDel2", noKeys,
            [](TestApp &t) { EXPECT_TRUE(items(t.find<QListView>("lstPosts2")).isEmpty()); } },
        { "watchCurrentPage", "cmdAdd", noKeys,
            [](TestApp &t) { EXPECT_EQ(items(t.find<QListView>("lstPosts")).size(), 2); },
            [](TestApp &t) { t.fake->location = QStringLiteral("http://127.0.0.1:%1/u").arg(closedLoopbackPort()); } },
        { "removeWatch", "cmdDel", noKeys,
            [](TestApp &t) { EXPECT_TRUE(items(t.find<QListView>("lstPosts")).isEmpty()); },
            [](TestApp &t) { selectRow(t.find<QListView>("lstPosts"), 0); } },
    };
    for (const Row &r : rows) {
        enum Way { Menu, Button, Keys };
        const char *how[] = { "", " by its button", " by its keys" };
        for (const Way way : { Menu, Button, Keys }) {
            if ((way == Button && !r.button) || (way == Keys && r.keys == noKeys))
                continue;
            SCOPED_TRACE(std::string(r.action) + how[way]);
            TestApp t;
            t.startWithEverything();
            r.prepare(t);
            if (way == Button) {
                t.click(r.button);
            } else if (way == Keys) {
                // Where the user works: in the message.
                auto *message = t.find<QPlainTextEdit>("txtMessage");
                message->setFocus();
                QTest::keyClick(message, r.keys.key(), r.keys.keyboardModifiers());
            } else {
                t.trigger(r.action);
            }
            r.done(t);
        }
    }
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

TEST(MainWindow, TabPagesAndTheAddressBox)
{
    TestApp t;
    t.start().show();
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
    EXPECT_EQ(t.fake->navigated.last(), "example.org/forum") << "Enter in the address box is Go";
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
    EXPECT_EQ(user->text(), "");
    EXPECT_EQ(password->text(), "");
    EXPECT_TRUE(user->isEnabled());
    EXPECT_EQ(t.readFile("posts2.txt"), QByteArray("http://forum.one/|\r\n\r\n")) << "no user name is stored";

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

    // Selecting a forum fills the boxes from its login, or empties them.
    selectRow(forums, 0);
    EXPECT_EQ(user->text(), "bob");
    EXPECT_EQ(password->text(), "p|ss");
    EXPECT_EQ(w.statusText(2), "http://forum.one/");
    selectRow(forums, 1);
    EXPECT_EQ(user->text(), "");
    EXPECT_EQ(password->text(), "");
    EXPECT_EQ(t.readFile("posts2.txt"), "http://forum.one/|bob|p|ss\r\n\r\n" + t.fake->location.toUtf8() + "|\r\n\r\n")
        << "the first forum's login is not carried over";

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

TEST(MainWindow, PastePasswordAsksBeforeTypingIntoAnotherSite)
{
    const QString question = "This page is on evil.example, the login is for forum.one. Type the password anyway?";
    struct Row {
        const char *name;
        const char *page;
        QList<bool> answers;
        bool asked;
        bool typed;
    };
    const QList<Row> rows = {
        { "the forum's own page", "http://Forum.One/login", {}, false, true },
        { "another site, answered No", "http://evil.example/login", { false }, true, false },
        { "another site, answered Yes", "http://evil.example/login", { true }, true, true },
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TestApp t;
        t.writeFile("posts2.txt", "http://forum.one/board|bob|secret\r\n\r\n");
        t.start();
        selectRow(t.find<QListView>("lstPosts2"), 0);
        t.fake->location = r.page;
        t.dialogs.answers = r.answers;
        t.click("cmdPaste_2");
        EXPECT_EQ(t.fake->typed, r.typed ? QStringList({ "secret" }) : QStringList());
        EXPECT_EQ(t.dialogs.questions, r.asked ? 1 : 0);
        if (r.asked)
            EXPECT_EQ(t.dialogs.lastText(), question);
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

TEST(MainWindow, WatchThisPostDuringACheckKeepsToTheConnectionsAForumAllows)
{
    ScriptServer server;
    server.setHandler([](const QByteArray &) {
        ScriptServer::Script slow = ScriptServer::response(QByteArray(100, 'x'));
        slow.pieces.first().delayMs = 400;
        return slow;
    });
    TestApp t;
    t.writeFile("posts.txt", (server.base() + "/a\r\n\r\n" + server.base() + "/b\r\n\r\n").toUtf8());
    t.writeFile("sizes.txt", "100\r\n\r\n100\r\n\r\n");
    MainWindow &w = t.start();
    ASSERT_EQ(w.checkRun().limits().perHost, 2);
    QSignalSpy finished(&w.checkRun(), &ReplyCheckRun::finished);
    QSignalSpy sized(&w.sizeChannel(), &PageFetch::finished);
    t.trigger("checkReplies");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.tally.open == 2; }, 5000));
    t.fake->location = server.base() + "/c";
    t.click("cmdAdd");
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_TRUE(sized.count() > 0 || sized.wait(10000));
    EXPECT_EQ(items(t.find<QListView>("lstSizes")), QStringList({ "100", "100", "100" }));
    EXPECT_EQ(server.tally.mostOpen, 2);
}
