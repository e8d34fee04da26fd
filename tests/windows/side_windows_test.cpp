#include "app/side_windows.h"
#include "messages/saved_messages_window.h"
#include "messages/template_editor.h"
#include "panels/message_editor_panel.h"
#include "support/files.h"
#include "support/list_items.h"
#include "support/test_app.h"
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "ui/skin.h"
#include "ui/splash_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

TEST(SavedMessages, NoFileGivesTheBoxAndNoWindow)
{
    TestApp t;
    MainWindow &w = t.start();
    QFile::remove(t.path("messages.txt"));
    t.click("cmdLoad");
    EXPECT_EQ(t.dialogs.lastText(), "you must first save a message before you can load one");
    EXPECT_EQ(t.dialogs.boxes.last().title, "Postmaven");
    EXPECT_EQ(w.sideWindows().savedMessages(), nullptr);
}

TEST(SavedMessages, PreviewLoadAndDelete)
{
    TestApp t;
    t.writeFile("messages.txt", "first[br]body|Sub one\r\n|empty body\r\nsecond|Sub two\r\nfirst[br]body|Sub one\r\n");
    MainWindow &w = t.start();
    t.click("cmdLoad");
    QWidget *f = w.sideWindows().savedMessages();
    ASSERT_NE(f, nullptr);
    auto *list = findControl<QListWidget>(f, "List1");
    auto *remove = findControl<QPushButton>(f, "Command1");
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(0)->text(), "first[br]body|Sub one");

    list->setCurrentRow(0);
    EXPECT_EQ(findControl<QPlainTextEdit>(f, "Text1")->toPlainText(), "first\nbody");
    EXPECT_EQ(findControl<QLineEdit>(f, "txtSubject")->text(), "Sub one");

    doubleClickRow(list, 0);
    EXPECT_EQ(w.messageEditor().messageText(), "first\r\nbody");
    EXPECT_EQ(w.messageEditor().subjectText(), "Sub one");
    EXPECT_EQ(t.settings.read("data", "lastSubject", ""), "Sub one");
    EXPECT_TRUE(f->isVisible() || !w.isVisible()) << "the window stays open";

    doubleClickRow(list, 1);
    EXPECT_EQ(t.dialogs.lastText(), "cannot insert a blank message");
    EXPECT_EQ(w.messageEditor().messageText(), "first\r\nbody") << "nothing changed";

    list->setCurrentRow(0);
    remove->click();
    EXPECT_EQ(t.readFile("messages.txt"), QByteArray("|empty body\r\nsecond|Sub two\r\n\r\n"));
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), "") << "an empty entry until the next save";

    list->setCurrentRow(-1);
    remove->click();
    EXPECT_EQ(list->count(), 3) << "nothing selected: nothing happens";
}

TEST(TemplateEditor, LockingDeleteAndSave)
{
    TestApp t;
    MainWindow &w = t.start();
    auto *formats = t.find<QComboBox>("cmbConvert");
    formats->setCurrentIndex(2);
    t.click("cmdOptions");
    QWidget *e = w.sideWindows().templateEditor();
    ASSERT_NE(e, nullptr);
    auto field = [&](const char *column, int row) {
        return findControl<QLineEdit>(e, QStringLiteral("%1_%2").arg(QLatin1String(column)).arg(row));
    };
    auto del = [&](int row) { return findControl<QPushButton>(e, QStringLiteral("cmdDel_%1").arg(row)); };
    auto *unlock = findControl<QCheckBox>(e, "Check1");
    EXPECT_EQ(field("txtName", 0)->text(), "html");
    EXPECT_EQ(field("txtLinkOpen01", 1)->text(), "[url=");
    for (int r = 0; r < 3; ++r) {
        EXPECT_FALSE(field("txtName", r)->isEnabled()) << r;
        EXPECT_FALSE(field("txtLinkOpen01", r)->isEnabled()) << r;
        EXPECT_FALSE(del(r)->isEnabled()) << r;
    }
    EXPECT_TRUE(field("txtName", 3)->isEnabled());
    unlock->click();
    EXPECT_TRUE(field("txtLinkOpen01", 0)->isEnabled());
    EXPECT_TRUE(field("txtMailCall", 2)->isEnabled());
    EXPECT_TRUE(del(1)->isEnabled());
    EXPECT_FALSE(field("txtName", 0)->isEnabled()) << "built-in names never unlock";
    unlock->click();
    EXPECT_FALSE(field("txtLinkOpen01", 0)->isEnabled());
    EXPECT_TRUE(field("txtName", 3)->isEnabled()) << "the first custom row stays editable";

    field("txtName", 4)->setText("forum");
    field("txtLinkOpen01", 4)->setText("[go=");
    findControl<QPushButton>(e, "Command1")->click();
    EXPECT_TRUE(e->isHidden());
    EXPECT_EQ(comboItems(formats), QStringList({ "text", "html", "ubb", "ezboard", "forum" }));
    EXPECT_EQ(formats->currentIndex(), 0) << "the selection returns to text";
    EXPECT_EQ(t.settings.read("data", "cust02Name", "?"), "forum");
    EXPECT_EQ(t.settings.read("data", "cust02LinkOpen01", "?"), "[go=");
    EXPECT_EQ(t.settings.read("data", "cust01Name", "?"), "");

    t.click("cmdOptions");
    EXPECT_EQ(w.sideWindows().templateEditor(), e) << "reopened as it was left";
    field("txtName", 3)->setText("four");
    findControl<QPushButton>(e, "Command1")->click();
    EXPECT_EQ(comboItems(formats), QStringList({ "text", "html", "ubb", "ezboard", "four", "forum" }));

    // "del" and then the close box: the row is back on the next opening.
    t.click("cmdOptions");
    del(4)->click();
    EXPECT_EQ(field("txtName", 4)->text(), "");
    e->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.sideWindows().templateEditor(), nullptr);
    t.click("cmdOptions");
    e = w.sideWindows().templateEditor();
    EXPECT_EQ(field("txtName", 4)->text(), "forum");
    EXPECT_FALSE(findControl<QCheckBox>(e, "Check1")->isChecked());
    EXPECT_FALSE(field("txtLinkOpen01", 0)->isEnabled());
}

TEST(HelpWindow, ShownAtStartUntilUnticked)
{
    TestApp t;
    t.writeFile("Help.rtf", "{\\rtf1 {\\b Welcome} to the help}");
    MainWindow &w = t.start();
    HelpWindow *h = w.sideWindows().help();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->isVisible());
    EXPECT_TRUE(h->windowFlags() & Qt::WindowStaysOnTopHint);
    auto *showAtStartup = findControl<QCheckBox>(h, "Check1");
    EXPECT_TRUE(showAtStartup->isChecked());
    EXPECT_EQ(findControl<QTextBrowser>(h, "rtf1")->toPlainText(), "Welcome to the help");
    showAtStartup->click();
    EXPECT_EQ(t.settings.read("Settings", "showHelp", "?"), "0");

    TestApp next;
    next.writeFile("Help.rtf", "{\\rtf1 help}");
    next.settings.write("Settings", "showHelp", "0");
    MainWindow &w2 = next.start();
    EXPECT_EQ(w2.sideWindows().help(), nullptr);
    next.trigger("showHelp");
    ASSERT_NE(w2.sideWindows().help(), nullptr);
    EXPECT_FALSE(findControl<QCheckBox>(w2.sideWindows().help(), "Check1")->isChecked());
}

TEST(HelpWindow, MissingHelpFileShowsNothing)
{
    TestApp t;
    MainWindow &w = t.start();
    EXPECT_EQ(w.sideWindows().help(), nullptr);
    t.trigger("showHelp");
    EXPECT_EQ(w.sideWindows().help(), nullptr);
    EXPECT_TRUE(t.dialogs.boxes.isEmpty());
}

TEST(HelpWindow, AnInstalledHelpFileIsUsedWhenTheDataFolderHasNone)
{
    TestApp t;
    QTemporaryDir installed;
    AppServices services = t.services();
    services.helpFile = installed.filePath("Help.rtf");
    writeBytes(services.helpFile, "{\\rtf1 installed help}");
    t.window = std::make_unique<MainWindow>(services);
    t.window->load();
    ASSERT_NE(t.window->sideWindows().help(), nullptr);
    EXPECT_EQ(findControl<QTextBrowser>(t.window->sideWindows().help(), "rtf1")->toPlainText(), "installed help");
}

TEST(AboutWindow, ShowsProductVersionOwnerAndAddress)
{
    AboutWindow about;
    about.loadWindow();
    const QList<QPair<const char *, const char *>> labels = { { "Label1", "Postmaven" }, { "lblVersion", "2.3" },
        { "lblCompany", "Maven Row Software" }, { "lblWebsite", "www.postmaven.example" } };
    for (const auto &l : labels)
        EXPECT_EQ(findControl<QLabel>(&about, l.first)->text(), QLatin1String(l.second)) << l.first;
}

TEST(Splash, StartsTheMainWindowOnceAndStepsAside)
{
    int started = 0;
    SplashWindow splash([&] { ++started; });
    splash.loadWindow();
    splash.show();
    EXPECT_EQ(currentSkin(), splash.skin());
    QSignalSpy done(&splash, &SplashWindow::mainStarted);
    ASSERT_TRUE(done.wait(5000));
    QTest::qWait(1200); // past the latest start, for a second start to show
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(findControl<QLabel>(&splash, "Label3")->text().isEmpty());
}
