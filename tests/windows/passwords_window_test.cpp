#include "support/list_items.h"
#include "support/memory_password_store.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QStatusBar>

namespace {

QString startMessage(const TestApp &t)
{
    return t.window->statusBar()->currentMessage();
}

// The window on a posts2.txt that holds file, with the keyring given.
void start(TestApp &t, PasswordStore *keyring, const QByteArray &file)
{
    t.keyring = keyring;
    t.writeFile("posts2.txt", file);
    t.start();
}

} // namespace

TEST(PasswordsWindow, InTheKeyringTheBoxesPasteAndListWorkAsBefore)
{
    TestApp t;
    MemoryPasswordStore keyring;
    start(t, &keyring, "http://one.example/|bob|p1\r\n\r\nhttp://two.example/|al|p2\r\n\r\n");
    EXPECT_TRUE(startMessage(t).contains("Passwords are kept in the keyring; 2 moved there from posts2.txt."))
        << startMessage(t).toStdString();
    EXPECT_EQ(t.readFile("posts2.txt"), "http://one.example/|bob|\r\n\r\nhttp://two.example/|al|\r\n\r\n");
    EXPECT_EQ(items(t.find<QListView>("lstLogins")), QStringList({ "bob|", "al|" }));

    auto *forums = t.find<QListView>("lstPosts2");
    auto *user = t.find<QLineEdit>("txtUsername");
    auto *password = t.find<QLineEdit>("txtPassword");
    selectRow(forums, 1);
    EXPECT_EQ(user->text(), "al");
    EXPECT_EQ(password->text(), "p2");
    selectRow(forums, 0);
    EXPECT_EQ(password->text(), "p1");
    t.fake->location = "http://one.example/login";
    t.click("cmdPaste_2");
    EXPECT_EQ(t.fake->typed, QStringList({ "p1" }));

    password->setText("p1new");
    EXPECT_EQ(keyring.entries.value("http://one.example/"), "p1new");

    t.fake->location = "http://three.example/";
    t.click("cmdAdd2");
    EXPECT_EQ(user->text(), "");
    EXPECT_EQ(password->text(), "");
    EXPECT_EQ(t.readFile("posts2.txt"),
        "http://one.example/|bob|\r\n\r\nhttp://two.example/|al|\r\n\r\nhttp://three.example/|\r\n\r\n");

    selectRow(forums, 0);
    t.click("cmdDel2");
    EXPECT_EQ(keyring.entries.keys(), QStringList({ "http://two.example/" }));
    EXPECT_EQ(t.readFile("posts2.txt"), "http://two.example/|al|\r\n\r\nhttp://three.example/|\r\n\r\n");
    EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << t.dialogs.lastText().toStdString();
}

TEST(PasswordsWindow, WithoutAKeyringTheFileKeepsThemAndTheStatusBarSaysSo)
{
    TestApp t;
    const QByteArray file = "http://one.example/|bob|p1\r\n\r\n";
    start(t, nullptr, file);
    EXPECT_TRUE(startMessage(t).contains("No keyring answers: passwords are kept in posts2.txt."))
        << startMessage(t).toStdString();
    EXPECT_EQ(t.readFile("posts2.txt"), file);
    selectRow(t.find<QListView>("lstPosts2"), 0);
    EXPECT_EQ(t.find<QLineEdit>("txtPassword")->text(), "p1");
    EXPECT_FALSE(t.find<QAction>("keepPasswordsInFile")->isChecked());
}

TEST(PasswordsWindow, AKeyringThatFailsLeavesAPasswordInTheFileOrTheBoxesShut)
{
    TestApp t;
    MemoryPasswordStore keyring;
    keyring.refused = { "http://two.example/" };
    start(t, &keyring, "http://one.example/|bob|p1\r\n\r\nhttp://two.example/|al|p2\r\n\r\n");
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_TRUE(t.dialogs.lastText().contains("http://two.example/: ")) << t.dialogs.lastText().toStdString();
    EXPECT_EQ(t.readFile("posts2.txt"), "http://one.example/|bob|\r\n\r\nhttp://two.example/|al|p2\r\n\r\n");

    // The keyring cannot give the password that moved: the boxes stay shut.
    keyring.unreadable = { "http://one.example/" };
    auto *forums = t.find<QListView>("lstPosts2");
    selectRow(forums, 0);
    EXPECT_FALSE(t.find("txtUsername")->isEnabled());
    EXPECT_FALSE(t.find("txtPassword")->isEnabled());
    EXPECT_TRUE(t.dialogs.lastText().contains("http://one.example/")) << t.dialogs.lastText().toStdString();
    EXPECT_EQ(keyring.entries.value("http://one.example/"), "p1") << "the empty box stored nothing";
    selectRow(forums, 1);
    EXPECT_TRUE(t.find("txtPassword")->isEnabled());
    EXPECT_EQ(t.find<QLineEdit>("txtPassword")->text(), "p2") << "from the file, where it stayed";
}

TEST(PasswordsWindow, KeepPasswordsInTheFileFromTheToolsMenu)
{
    TestApp t;
    MemoryPasswordStore keyring;
    start(t, &keyring, "http://one.example/|bob|p1\r\n\r\n");
    auto *setting = t.find<QAction>("keepPasswordsInFile");
    EXPECT_TRUE(setting->isCheckable());
    EXPECT_FALSE(setting->isChecked());

    t.trigger("keepPasswordsInFile");
    EXPECT_TRUE(setting->isChecked());
    EXPECT_EQ(t.settings.read("Settings", "keepPasswordsInFile", ""), "1");
    EXPECT_EQ(t.readFile("posts2.txt"), "http://one.example/|bob|p1\r\n\r\n");
    EXPECT_TRUE(keyring.entries.isEmpty());
    EXPECT_EQ(startMessage(t), "Passwords are kept in posts2.txt now.");

    // Chosen, it holds at the next start: nothing moves.
    TestApp chosen;
    chosen.settings.write("Settings", "keepPasswordsInFile", "1");
    start(chosen, &keyring, t.readFile("posts2.txt"));
    EXPECT_TRUE(chosen.find<QAction>("keepPasswordsInFile")->isChecked());
    EXPECT_TRUE(startMessage(chosen).contains("Passwords are kept in posts2.txt, as chosen in the Tools menu."));
    EXPECT_EQ(chosen.readFile("posts2.txt"), "http://one.example/|bob|p1\r\n\r\n");

    t.trigger("keepPasswordsInFile");
    EXPECT_FALSE(setting->isChecked());
    EXPECT_EQ(t.settings.read("Settings", "keepPasswordsInFile", ""), "0");
    EXPECT_EQ(keyring.entries.value("http://one.example/"), "p1");
    EXPECT_EQ(t.readFile("posts2.txt"), "http://one.example/|bob|\r\n\r\n");
    EXPECT_EQ(startMessage(t), "Passwords are kept in the keyring now.");

    // A keyring that cannot give a password back keeps it, and the setting stays.
    keyring.unreadable = { "http://one.example/" };
    t.trigger("keepPasswordsInFile");
    EXPECT_FALSE(setting->isChecked());
    EXPECT_EQ(t.settings.read("Settings", "keepPasswordsInFile", ""), "0");
    EXPECT_EQ(startMessage(t), "Passwords are still kept in the keyring.");
    EXPECT_TRUE(t.dialogs.lastText().contains("http://one.example/: ")) << t.dialogs.lastText().toStdString();
    EXPECT_EQ(keyring.entries.value("http://one.example/"), "p1");
}
