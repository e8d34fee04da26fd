#include "support/logins.h"
#include "support/memory_password_store.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

using Entries = QMap<QString, QString>;

// Logins whose passwords are in the keyring already.
struct InKeyring : Logins {
    MemoryPasswordStore keyring;
    InKeyring(const QByteArray &file, const Entries &entries)
        : Logins(file)
    {
        keyring.entries = entries;
        logins.startPasswords(&keyring, false);
    }
};

} // namespace

TEST(Passwords, FoundInTheFileTheyMoveIntoTheKeyringAtStart)
{
    struct Row {
        const char *name;
        QByteArray file;
        QSet<QString> refused, garbled;
        bool answers;
        Entries keyring; // afterwards
        QByteArray fileAfter; // empty: as it was
        const char *notice;
        QStringList named; // in the box
        const char *box; // all of it; none: not looked at
    };
    const QByteArray three = "http://a/|u1|p1\r\n\r\nhttp://b/|u2|p|2\r\n\r\nhttp://c/|u3|p3\r\n\r\n";
    const QList<Row> rows = {
        { "three passwords move", three, {}, {}, true,
            { { "http://a/", "p1" }, { "http://b/", "p|2" }, { "http://c/", "p3" } },
            "http://a/|u1|\r\n\r\nhttp://b/|u2|\r\n\r\nhttp://c/|u3|\r\n\r\n",
            "Passwords are kept in the keyring; 3 moved there from posts2.txt.", {}, nullptr },
        { "a refused write stays in the file", three, { "http://b/" }, {}, true,
            { { "http://a/", "p1" }, { "http://c/", "p3" } },
            "http://a/|u1|\r\n\r\nhttp://b/|u2|p|2\r\n\r\nhttp://c/|u3|\r\n\r\n",
            "Passwords are kept in the keyring; 2 moved there from posts2.txt.", { "http://b/" },
            "These passwords could not be moved to the keyring and stay in posts2.txt:\r\n\r\n"
            "http://b/: The keyring refused the write." },
        { "a password read back wrong stays in the file", three, {}, { "http://c/" }, true,
            { { "http://a/", "p1" }, { "http://b/", "p|2" }, { "http://c/", "p3" } },
            "http://a/|u1|\r\n\r\nhttp://b/|u2|\r\n\r\nhttp://c/|u3|p3\r\n\r\n",
            "Passwords are kept in the keyring; 2 moved there from posts2.txt.", { "http://c/" }, nullptr },
        { "a keyring that refuses all: the file is not written", three, {}, {}, false, {}, {},
            "Passwords are kept in the keyring.", { "http://a/", "http://b/", "http://c/" }, nullptr },
        { "one address twice with one password: one entry", "http://a/|u1|pw\r\n\r\nhttp://a/|u2|pw\r\n\r\n", {}, {},
            true, { { "http://a/", "pw" } }, "http://a/|u1|\r\n\r\nhttp://a/|u2|\r\n\r\n",
            "Passwords are kept in the keyring; 1 moved there from posts2.txt.", {}, nullptr },
        { "one address twice with two passwords stays in the file", "http://a/|u1|p1\r\n\r\nhttp://a/|u2|p2\r\n\r\n",
            {}, {}, true, {}, {}, "Passwords are kept in the keyring.", { "http://a/" }, nullptr },
        { "forums without a password: nothing to move", "http://a/|u1|\r\n\r\nhttp://b/\r\n\r\n", {}, {}, true, {}, {},
            "Passwords are kept in the keyring.", {}, nullptr },
    };
    for (const Row &r : rows) {
        Logins t(r.file);
        MemoryPasswordStore keyring;
        keyring.refused = r.refused;
        keyring.garbled = r.garbled;
        keyring.answers = r.answers;
        QList<QByteArray> fileAtWrites;
        keyring.onWrite = [&](const QString &) { fileAtWrites.append(t.file()); };

        EXPECT_EQ(t.logins.startPasswords(&keyring, false), QString::fromLatin1(r.notice)) << r.name;
        EXPECT_EQ(keyring.entries, r.keyring) << r.name;
        EXPECT_EQ(t.file(), r.fileAfter.isEmpty() ? r.file : r.fileAfter) << r.name;
        for (const QByteArray &atWrite : fileAtWrites)
            EXPECT_EQ(atWrite, r.file) << r.name << ": the file is rewritten only after every write";
        if (r.named.isEmpty()) {
            EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << r.name << t.boxes().toStdString();
        } else {
            ASSERT_EQ(t.dialogs.boxes.size(), 1) << r.name << t.boxes().toStdString();
            EXPECT_TRUE(t.boxes().startsWith("These passwords could not be moved to the keyring and stay in "
                                             "posts2.txt:"))
                << r.name << t.boxes().toStdString();
            for (const QString &forum : r.named)
                EXPECT_TRUE(t.boxes().contains(forum + ": ")) << r.name << " names " << forum.toStdString();
            if (r.box)
                EXPECT_EQ(t.boxes(), r.box) << r.name;
        }
    }
}

TEST(Passwords, EveryForumKeepsItsPasswordWhereverItWent)
{
    // After a restart each forum reads its password from where it went.
    for (const QSet<QString> &refused : { QSet<QString>(), QSet<QString> { "http://b/" } }) {
        Logins first("http://a/|u1|p1\r\n\r\nhttp://b/|u2|p|2\r\n\r\nhttp://c/|u3|\r\n\r\n");
        MemoryPasswordStore keyring;
        keyring.refused = refused;
        first.logins.startPasswords(&keyring, false);
        keyring.refused.clear();

        Logins restarted(first.file());
        restarted.logins.startPasswords(&keyring, false);
        QStringList passwords;
        for (int row = 0; row < 3; ++row)
            passwords.append(restarted.logins.password(row).password);
        EXPECT_EQ(passwords, QStringList({ "p1", "p|2", "" })) << refused.size() << " refused";
    }
}

TEST(Passwords, TheLoginBoxesReadAndWriteTheKeyring)
{
    InKeyring t("http://a/|bob|\r\n\r\n", { { "http://a/", "pw" } });
    MemoryPasswordStore &keyring = t.keyring;
    EXPECT_TRUE(t.logins.usesKeyring());

    EXPECT_EQ(t.logins.password(0).password, "pw");
    keyring.calls.clear();
    t.logins.setLogin(0, "bob", "pw");
    EXPECT_EQ(keyring.calls, QStringList()) << "the login as it was read: no keyring call";

    t.logins.setLogin(0, "bob", "new");
    EXPECT_EQ(keyring.entries, Entries({ { "http://a/", "new" } }));
    EXPECT_EQ(t.file(), "http://a/|bob|\r\n\r\n") << "the file keeps the user name and an empty password";

    t.logins.setLogin(0, "al", "new");
    EXPECT_EQ(keyring.userNames.value("http://a/"), "al") << "a new user name goes to the keyring's entry too";
    EXPECT_EQ(t.file(), "http://a/|al|\r\n\r\n");

    t.logins.setLogin(0, "al", "");
    EXPECT_TRUE(keyring.entries.isEmpty()) << "an empty password keeps no entry";
    EXPECT_EQ(t.logins.password(0).status, PasswordResult::Status::NotFound);
    EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << t.boxes().toStdString();
}

TEST(Passwords, AKeyringThatFailsKeepsThePasswordInTheFile)
{
    InKeyring t("http://a/|bob|\r\n\r\n", { { "http://a/", "pw" } });
    MemoryPasswordStore &keyring = t.keyring;

    keyring.refused = { "http://a/" };
    t.logins.setLogin(0, "bob", "n");
    t.logins.setLogin(0, "bob", "ne");
    EXPECT_EQ(t.file(), "http://a/|bob|ne\r\n\r\n") << "typed while the keyring refuses: kept in the file";
    ASSERT_EQ(t.dialogs.boxes.size(), 1) << "one box, not one per key";
    EXPECT_EQ(t.dialogs.boxes[0].text,
        "The password for http://a/ could not be kept in the keyring, so it is kept in posts2.txt:\r\n"
        "The keyring refused the write.");
    EXPECT_EQ(t.logins.password(0).password, "ne") << "the file's password is the one shown";

    keyring.refused.clear();
    t.logins.setLogin(0, "bob", "new");
    EXPECT_EQ(keyring.entries.value("http://a/"), "new");
    EXPECT_EQ(t.file(), "http://a/|bob|\r\n\r\n") << "once the keyring takes it, it leaves the file";

    keyring.unreadable = { "http://a/" };
    t.logins.setLogin(0, "bob", "newer");
    const PasswordResult unread = t.logins.password(0);
    EXPECT_FALSE(unread.ok());
    EXPECT_EQ(t.dialogs.lastText(),
        "The password for http://a/ could not be read from the keyring:\r\nThe keyring could not give the password.");
}

TEST(Passwords, RemovingAForumRemovesItsEntryOncePerAddress)
{
    InKeyring t("http://a/|u1|\r\n\r\nhttp://a/|u2|\r\n\r\nhttp://b/|u3|\r\n\r\n",
        { { "http://a/", "pa" }, { "http://b/", "pb" } });
    MemoryPasswordStore &keyring = t.keyring;

    t.logins.removeForum(0);
    EXPECT_EQ(keyring.entries.keys(), QStringList({ "http://a/", "http://b/" }))
        << "the address is still listed: its entry stays";
    t.logins.removeForum(0);
    EXPECT_EQ(keyring.entries.keys(), QStringList({ "http://b/" }));
    EXPECT_EQ(t.file(), "http://b/|u3|\r\n\r\n");

    keyring.answers = false;
    t.logins.removeForum(0);
    EXPECT_EQ(t.file(), "") << "the forum goes even when its entry cannot";
    EXPECT_EQ(t.dialogs.lastText(),
        "The password for http://b/ could not be removed from the keyring:\r\nThe keyring is gone.");
}

TEST(Passwords, TheFileChosenOnPurposeAndLeftAgain)
{
    struct Row {
        const char *name;
        QSet<QString> unreadable;
        bool fileBlocked;
        bool inFile; // afterwards
        Entries keyring;
        QByteArray fileAfter;
        const char *status;
        const char *box; // the start of it, or none
    };
    const QByteArray inKeyring = "http://a/|u1|\r\n\r\nhttp://b/|u2|\r\n\r\nhttp://c/|u3|own\r\n\r\n";
    const Entries both = { { "http://a/", "pa" }, { "http://b/", "pb" }, { "http://c/", "other" } };
    const QList<Row> rows = {
        { "all move to the file; a password the file keeps is not written over", {}, false, true, {},
            "http://a/|u1|pa\r\n\r\nhttp://b/|u2|pb\r\n\r\nhttp://c/|u3|own\r\n\r\n",
            "Passwords are kept in posts2.txt now.", nullptr },
        { "one cannot be read: it stays, and the keyring is still used", { "http://b/" }, false, false,
            { { "http://b/", "pb" }, { "http://c/", "other" } },
            "http://a/|u1|pa\r\n\r\nhttp://b/|u2|\r\n\r\nhttp://c/|u3|own\r\n\r\n",
            "Passwords are still kept in the keyring.",
            "These passwords could not be moved to posts2.txt, so passwords are still kept in the keyring:\r\n\r\n"
            "http://b/: " },
        { "posts2.txt cannot be written: nothing leaves the keyring", {}, true, false, both, {},
            "Passwords are still kept in the keyring.", "There was an error saving your logins." },
    };
    for (const Row &r : rows) {
        Logins t(inKeyring);
        MemoryPasswordStore keyring;
        keyring.entries = both;
        // c's own password could not move at start: the file keeps it, the keyring an old one.
        keyring.refused = { "http://c/" };
        t.logins.startPasswords(&keyring, false);
        keyring.refused.clear();
        keyring.unreadable = r.unreadable;
        t.dialogs.boxes.clear();
        if (r.fileBlocked) {
            QFile::remove(t.path());
            QDir().mkdir(t.path());
        }
        EXPECT_EQ(t.logins.keepPasswordsInFile(true), QString::fromLatin1(r.status)) << r.name;
        EXPECT_EQ(t.logins.usesKeyring(), !r.inFile) << r.name;
        EXPECT_EQ(keyring.entries, r.keyring) << r.name;
        if (!r.fileBlocked)
            EXPECT_EQ(t.file(), r.fileAfter) << r.name;
        if (r.box)
            EXPECT_TRUE(t.boxes().startsWith(QLatin1String(r.box))) << r.name << t.boxes().toStdString();
        else
            EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << r.name << t.boxes().toStdString();
        if (r.fileBlocked) {
            EXPECT_EQ(t.store.forums().at(0).password, "") << "the list holds what the file holds";
            QDir().rmdir(t.path());
            continue;
        }
        // Back into the keyring: what the file holds moves again.
        keyring.unreadable.clear();
        t.logins.keepPasswordsInFile(false);
        EXPECT_TRUE(t.logins.usesKeyring()) << r.name;
        EXPECT_EQ(keyring.entries.value("http://a/"), "pa") << r.name;
        EXPECT_EQ(keyring.entries.value("http://c/"), "own") << r.name;
        EXPECT_EQ(t.file(), "http://a/|u1|\r\n\r\nhttp://b/|u2|\r\n\r\nhttp://c/|u3|\r\n\r\n") << r.name;
    }
}

TEST(Passwords, WithoutAKeyringTheFileKeepsThemAsAlways)
{
    const QByteArray file = "http://a/|u1|p1\r\n\r\n";
    Logins t(file);
    EXPECT_EQ(t.logins.startPasswords(nullptr, false), "No keyring answers: passwords are kept in posts2.txt.");
    EXPECT_FALSE(t.logins.usesKeyring());
    EXPECT_EQ(t.file(), file);
    EXPECT_EQ(t.logins.password(0).password, "p1");
    t.logins.setLogin(0, "u1", "p2");
    EXPECT_EQ(t.file(), "http://a/|u1|p2\r\n\r\n");
    EXPECT_EQ(t.logins.keepPasswordsInFile(false), "No keyring answers: passwords stay in posts2.txt.");
    EXPECT_FALSE(t.logins.usesKeyring());

    MemoryPasswordStore keyring;
    Logins chosen(file);
    EXPECT_EQ(
        chosen.logins.startPasswords(&keyring, true), "Passwords are kept in posts2.txt, as chosen in the Tools menu.");
    EXPECT_EQ(chosen.file(), file);
    EXPECT_TRUE(keyring.calls.isEmpty());
}
