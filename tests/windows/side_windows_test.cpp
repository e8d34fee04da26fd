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
    w.cmdLoad_Click();
    EXPECT_EQ(t.dialogs.lastText(), "you must first save a message before you can load one");
    EXPECT_EQ(t.dialogs.boxes.last().title, "Postmaven");
    EXPECT_EQ(w.savedMessagesWindow(), nullptr);
}

TEST(SavedMessages, PreviewLoadAndDelete)
{
    TestApp t;
    t.writeFile("messages.txt", "first[br]body|Sub one\r\n|empty body\r\nsecond|Sub two\r\nfirst[br]body|Sub one\r\n");
    MainWindow &w = t.start();
    w.cmdLoad_Click();
    SavedMessagesWindow *f = w.savedMessagesWindow();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "load a saved message");
    EXPECT_EQ(f->Command1->text(), "delete message");
    ASSERT_EQ(f->List1->count(), 4);
    EXPECT_EQ(f->List1->item(0)->text(), "first[br]body|Sub one");

    f->List1->setCurrentRow(0);
    EXPECT_EQ(f->Text1->toPlainText(), "first\nbody");
    EXPECT_EQ(f->txtSubject->text(), "Sub one");

    f->List1_DblClick();
    EXPECT_EQ(w.messageText(), "first\r\nbody");
    EXPECT_EQ(w.txtSubject->text(), "Sub one");
    EXPECT_EQ(t.settings.read("data", "lastSubject", ""), "Sub one");
    EXPECT_TRUE(f->isVisible() || !w.isVisible()) << "the window stays open";

    f->List1->setCurrentRow(1);
    f->List1_DblClick();
    EXPECT_EQ(t.dialogs.lastText(), "cannot insert a blank message");
    EXPECT_EQ(w.messageText(), "first\r\nbody") << "nothing changed";

    f->List1->setCurrentRow(0);
    f->Command1_Click();
    EXPECT_EQ(t.readFile("messages.txt"), QByteArray("|empty body\r\nsecond|Sub two\r\n\r\n"));
    ASSERT_EQ(f->List1->count(), 3);
    EXPECT_EQ(f->List1->item(2)->text(), "") << "an empty entry until the next save";

    f->List1->setCurrentRow(-1);
    f->Command1_Click();
    f->List1_DblClick();
    EXPECT_EQ(f->List1->count(), 3) << "nothing selected: nothing happens";
}

TEST(SavedMessages, SaveShowsMessageSaved)
{
    TestApp t;
    MainWindow &w = t.start();
    w.txtSubject->setText("Hi");
    w.setMessageText("one\r\ntwo");
    w.cmdSave_Click();
    EXPECT_EQ(t.readFile("messages.txt"), QByteArray("one[br]two|Hi\r\n"));
    EXPECT_EQ(w.statusText(1), "MESSAGE SAVED");
}

TEST(TemplateEditor, LockingDeleteAndSave)
{
    TestApp t;
    MainWindow &w = t.start();
    w.cmbConvert->setCurrentIndex(2);
    w.cmdOptions_Click();
    TemplateEditor *e = w.templateEditor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->windowTitle(), "Custom Message Templates");
    EXPECT_EQ(e->txtName[0]->text(), "html");
    EXPECT_EQ(e->txtLinkOpen01[1]->text(), "[url=");
    for (int r = 0; r < 3; ++r) {
        EXPECT_FALSE(e->txtName[r]->isEnabled()) << r;
        EXPECT_FALSE(e->txtLinkOpen01[r]->isEnabled()) << r;
        EXPECT_FALSE(e->cmdDel[r]->isEnabled()) << r;
    }
    EXPECT_TRUE(e->txtName[3]->isEnabled());
    e->Check1->click();
    EXPECT_TRUE(e->txtLinkOpen01[0]->isEnabled());
    EXPECT_TRUE(e->txtMailCall[2]->isEnabled());
    EXPECT_TRUE(e->cmdDel[1]->isEnabled());
    EXPECT_FALSE(e->txtName[0]->isEnabled()) << "built-in names never unlock";
    e->Check1->click();
    EXPECT_FALSE(e->txtLinkOpen01[0]->isEnabled());
    EXPECT_TRUE(e->txtName[3]->isEnabled()) << "the first custom row stays editable";

    e->txtName[4]->setText("forum");
    e->txtLinkOpen01[4]->setText("[go=");
    e->Command1->click();
    EXPECT_TRUE(e->isHidden());
    EXPECT_EQ(comboItems(w.cmbConvert), QStringList({ "text", "html", "ubb", "ezboard", "forum" }));
    EXPECT_EQ(w.cmbConvert->currentIndex(), 0) << "the selection returns to text";
    EXPECT_EQ(t.settings.read("data", "cust02Name", "?"), "forum");
    EXPECT_EQ(t.settings.read("data", "cust02LinkOpen01", "?"), "[go=");
    EXPECT_EQ(t.settings.read("data", "cust01Name", "?"), "");

    w.cmdOptions_Click();
    EXPECT_EQ(w.templateEditor(), e) << "reopened as it was left";
    e->txtName[3]->setText("four");
    e->Command1->click();
    EXPECT_EQ(comboItems(w.cmbConvert), QStringList({ "text", "html", "ubb", "ezboard", "four", "forum" }));

    // "del" and then the close box: the row is back on the next opening.
    w.cmdOptions_Click();
    e->cmdDel_Click(4);
    EXPECT_EQ(e->txtName[4]->text(), "");
    e->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.templateEditor(), nullptr);
    w.cmdOptions_Click();
    EXPECT_EQ(w.templateEditor()->txtName[4]->text(), "forum");
    EXPECT_FALSE(w.templateEditor()->Check1->isChecked());
    EXPECT_FALSE(w.templateEditor()->txtLinkOpen01[0]->isEnabled());
}

TEST(HelpWindow, ShownAtStartUntilUnticked)
{
    TestApp t;
    t.writeFile("Help.rtf", "{\\rtf1 {\\b Welcome} to the help}");
    MainWindow &w = t.start();
    HelpWindow *h = w.helpWindow();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->isVisible());
    EXPECT_EQ(h->windowTitle(), "Readme/Help");
    EXPECT_TRUE(h->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(h->Check1->isChecked());
    EXPECT_EQ(h->Check1->text(), "Show at Startup");
    EXPECT_EQ(h->rtf1->toPlainText(), "Welcome to the help");
    h->Check1->click();
    EXPECT_EQ(t.settings.read("Settings", "showHelp", "?"), "0");

    TestApp next;
    next.writeFile("Help.rtf", "{\\rtf1 help}");
    next.settings.write("Settings", "showHelp", "0");
    MainWindow &w2 = next.start();
    EXPECT_EQ(w2.helpWindow(), nullptr);
    w2.showHelpWindow();
    ASSERT_NE(w2.helpWindow(), nullptr);
    EXPECT_FALSE(w2.helpWindow()->Check1->isChecked());
}

TEST(HelpWindow, MissingHelpFileShowsNothing)
{
    TestApp t;
    MainWindow &w = t.start();
    EXPECT_EQ(w.helpWindow(), nullptr);
    w.showHelpWindow();
    EXPECT_EQ(w.helpWindow(), nullptr);
    EXPECT_TRUE(t.dialogs.boxes.isEmpty());
}

TEST(HelpWindow, AnInstalledHelpFileIsUsedWhenTheDataFolderHasNone)
{
    TestApp t;
    QTemporaryDir installed;
    QFile file(installed.filePath("Help.rtf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1 installed help}");
    file.close();
    AppServices services = t.services();
    services.helpFile = file.fileName();
    t.window = std::make_unique<MainWindow>(services);
    t.window->load();
    ASSERT_NE(t.window->helpWindow(), nullptr);
    EXPECT_EQ(t.window->helpWindow()->rtf1->toPlainText(), "installed help");
}

TEST(AboutWindow, ShowsProductVersionOwnerAndAddress)
{
    AboutWindow about;
    about.loadWindow();
    EXPECT_EQ(about.windowTitle(), "About Postmaven");
    EXPECT_EQ(about.Label1->text(), "Postmaven");
    EXPECT_EQ(about.lblVersion->text(), "2.3");
    EXPECT_EQ(about.lblCompany->text(), "Maven Row Software");
    EXPECT_EQ(about.lblWebsite->text(), "www.postmaven.example");
    EXPECT_EQ(about.Label2->text(), "Version:");
    EXPECT_NE(about.findChild<QLabel *>("SkinLabel1_1"), nullptr) << "plain labels get skinned copies";
}

TEST(Splash, MainWindowAfterExactly75Ticks)
{
    int started = 0;
    SplashWindow splash([&] { ++started; });
    splash.loadWindow();
    splash.show();
    EXPECT_EQ(currentSkin(), splash.skin());
    EXPECT_TRUE(splash.Timer2.isActive());
    EXPECT_EQ(splash.Timer2.interval(), 2);
    QSignalSpy done(&splash, &SplashWindow::mainStarted);
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(started, 1);
    EXPECT_EQ(splash.ticks(), 75);
    EXPECT_EQ(splash.counter(), 150);
    EXPECT_FALSE(splash.Timer2.isActive());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.Label3->text().isEmpty());
}
