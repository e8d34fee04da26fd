// The keyring store and the forum logins against a real Secret Service: a
// gnome-keyring-daemon of the test's own, on a private bus, started by
// keyring-session. Run outside it, every test here is skipped, so the user's
// keyring is never reached.
#include "platform/keyring_password_store.h"
#include "support/logins.h"
#include "support/memory_password_store.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace {

const QString kSecrets = QStringLiteral("org.freedesktop.secrets");

QString keyringMode()
{
    return qEnvironmentVariable("POSTMAVEN_TEST_KEYRING");
}

// The daemon is started just before the tests and may not be on the bus yet.
bool keyringOnBus()
{
    static const bool onBus = [] {
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        if (!bus)
            return false;
        QDBusServiceWatcher watcher(kSecrets, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForRegistration);
        QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
        return bus->isServiceRegistered(kSecrets).value() || registered.wait(30000);
    }();
    return onBus;
}

#define NEEDS_PRIVATE_KEYRING()                                                                                        \
    if (keyringMode() != QLatin1String("private"))                                                                     \
        GTEST_SKIP() << "needs the private keyring of keyring-session";                                                \
    ASSERT_TRUE(keyringOnBus()) << "the test keyring did not come on the bus"

struct ToolAnswer {
    int exitCode = -1;
    QString out;
};

// secret-tool, a client of the Secret Service of its own: it sees what any
// other program would see in the keyring.
ToolAnswer secretTool(const QStringList &arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral("secret-tool"), arguments);
    if (!tool.waitForFinished(30000))
        return {};
    return { tool.exitCode(), QString::fromUtf8(tool.readAll()) };
}

QString lookUp(const QString &address)
{
    const ToolAnswer a = secretTool({ QStringLiteral("lookup"), QStringLiteral("server"), QStringLiteral("Postmaven"),
        QStringLiteral("user"), address });
    return a.exitCode == 0 ? a.out : QStringLiteral("<none>");
}

} // namespace

TEST(KeyringStore, KeepsEachPasswordUnderItsForumsAddress)
{
    NEEDS_PRIVATE_KEYRING();
    struct Row {
        const char *name;
        QString address;
        QString user;
        QString password;
    };
    const QList<Row> rows = {
        { "plain", "http://store.example/plain", "bob", "secret" },
        { "a bar in the password", "http://store.example/bar", "al|x", "p|ss" },
        { "letters beyond ASCII", "http://store.example/umlaut", QString::fromUtf8("j\xc3\xbcrgen"),
            QString::fromUtf8("p\xc3\xa4ss\xe2\x82\xac") },
        { "an address with a query", "http://store.example/index.php?act=Login&CODE=00", "bob", "pw" },
    };
    KeyringPasswordStore keyring;
    ASSERT_TRUE(keyring.probe().ok()) << keyring.probe().error.toStdString();
    for (const Row &r : rows) {
        const PasswordResult written = keyring.write(r.address, r.user, r.password);
        ASSERT_TRUE(written.ok()) << r.name << ": " << written.error.toStdString();
        EXPECT_EQ(keyring.read(r.address).password, r.password) << r.name;
        EXPECT_EQ(lookUp(r.address), r.password) << r.name << ": under service and address for every client";
        const ToolAnswer listed = secretTool({ "search", "--all", "server", "Postmaven", "user", r.address });
        EXPECT_TRUE(listed.out.contains("attribute.username = " + r.user)) << r.name << listed.out.toStdString();
        EXPECT_TRUE(listed.out.contains("label = Postmaven: " + r.address)) << r.name << listed.out.toStdString();

        ASSERT_TRUE(keyring.write(r.address, r.user, r.password + "2").ok()) << r.name;
        EXPECT_EQ(keyring.read(r.address).password, r.password + "2") << r.name;
        EXPECT_EQ(secretTool({ "search", "--all", "server", "Postmaven", "user", r.address }).out.count("label = "), 1)
            << r.name << ": written again, still one entry";

        EXPECT_TRUE(keyring.remove(r.address).ok()) << r.name;
        EXPECT_EQ(keyring.read(r.address).status, PasswordResult::Status::NotFound) << r.name;
        EXPECT_EQ(lookUp(r.address), "<none>") << r.name;
        EXPECT_TRUE(keyring.remove(r.address).ok()) << r.name << ": nothing left to remove is no failure";
    }
}

TEST(KeyringStore, AKeyringThatDoesNotAnswerIsGivenUpOnAndUsedAgainOnceItDoes)
{
    NEEDS_PRIVATE_KEYRING();
    const uint daemon = QDBusConnection::sessionBus().interface()->servicePid(kSecrets).value();
    ASSERT_GT(daemon, 0u);
    KeyringPasswordStore keyring(200);
    ASSERT_TRUE(keyring.write("http://frozen.example/", "bob", "pw").ok());

    // The test's own daemon stopped: it cannot answer however long one waits.
    ::kill(pid_t(daemon), SIGSTOP);
    const PasswordResult given = keyring.read("http://frozen.example/");
    const PasswordResult behind = keyring.write("http://frozen.example/", "bob", "other");
    ::kill(pid_t(daemon), SIGCONT);
    EXPECT_TRUE(given.error.startsWith("The keyring did not answer within 0.2 seconds.")) << given.error.toStdString();
    EXPECT_EQ(behind.error, "The keyring has not answered an earlier request yet.") << "no wait behind the first";

    EXPECT_TRUE(QTest::qWaitFor([&] { return keyring.read("http://frozen.example/").ok(); }, 30000))
        << "once the late answer has come, the keyring is used again";
    EXPECT_EQ(keyring.read("http://frozen.example/").password, "pw") << "the write given up on never ran";
    EXPECT_TRUE(keyring.remove("http://frozen.example/").ok());
}

// Which passwords move, and what stays when one cannot, is the logins' own
// test against a keyring in memory; here, that they reach the real one.
TEST(KeyringLogins, PasswordsMoveInAndTheFileIsRewrittenOnlyAfterwards)
{
    NEEDS_PRIVATE_KEYRING();
    const QByteArray before = "http://move.example/a|ann|pa\r\n\r\nhttp://move.example/b|ben|p|b\r\n\r\n";
    Logins t(before);
    KeyringPasswordStore real;
    MemoryPasswordStore keyring(&real);
    QList<QByteArray> fileAtWrites;
    keyring.onWrite = [&](const QString &) { fileAtWrites.append(t.file()); };

    EXPECT_EQ(
        t.logins.startPasswords(&keyring, false), "Passwords are kept in the keyring; 2 moved there from posts2.txt.");
    EXPECT_EQ(fileAtWrites, QList<QByteArray>({ before, before }));
    EXPECT_EQ(t.file(), "http://move.example/a|ann|\r\n\r\nhttp://move.example/b|ben|\r\n\r\n");
    EXPECT_EQ(lookUp("http://move.example/a"), "pa");
    EXPECT_EQ(lookUp("http://move.example/b"), "p|b");
    EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << t.boxes().toStdString();
    EXPECT_EQ(t.logins.password(1).password, "p|b") << "read from the keyring";
    for (const char *forum : { "a", "b" })
        real.remove(QStringLiteral("http://move.example/") + forum);
}

TEST(KeyringLogins, ReadBackAfterARestart)
{
    NEEDS_PRIVATE_KEYRING();
    Logins first("http://restart.example/a|ann|pa\r\n\r\nhttp://restart.example/b|ben|\r\n\r\n");
    KeyringPasswordStore keyring;
    first.logins.startPasswords(&keyring, false);
    first.logins.setLogin(1, "ben", "typed|later");
    // The program again, as a process of its own.
    QProcess again;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("POSTMAVEN_RESTART_DIR"), first.folder);
    again.setProcessEnvironment(env);
    again.setProcessChannelMode(QProcess::MergedChannels);
    again.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--gtest_filter=KeyringLogins.SecondRun") });
    ASSERT_TRUE(again.waitForFinished(120000));
    const QString out = QString::fromUtf8(again.readAll());
    EXPECT_EQ(again.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

TEST(KeyringLogins, SecondRun)
{
    const QString folder = qEnvironmentVariable("POSTMAVEN_RESTART_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "the second run of ReadBackAfterARestart";
    NEEDS_PRIVATE_KEYRING();
    Logins t(ExistingFolder { folder });
    EXPECT_EQ(t.file(), "http://restart.example/a|ann|\r\n\r\nhttp://restart.example/b|ben|\r\n\r\n");
    KeyringPasswordStore keyring;
    ASSERT_TRUE(keyring.probe().ok());
    EXPECT_EQ(t.logins.startPasswords(&keyring, false), "Passwords are kept in the keyring.");
    EXPECT_EQ(t.logins.password(0).password, "pa");
    EXPECT_EQ(t.logins.password(1).password, "typed|later");
}

TEST(KeyringLogins, RemovingAForumRemovesItsEntry)
{
    NEEDS_PRIVATE_KEYRING();
    Logins t("http://remove.example/a|ann|pa\r\n\r\nhttp://remove.example/b|ben|pb\r\n\r\n");
    KeyringPasswordStore keyring;
    t.logins.startPasswords(&keyring, false);
    ASSERT_EQ(lookUp("http://remove.example/b"), "pb");
    t.logins.removeForum(1);
    EXPECT_EQ(lookUp("http://remove.example/b"), "<none>");
    EXPECT_EQ(lookUp("http://remove.example/a"), "pa");
    t.logins.removeForum(0);
    EXPECT_EQ(lookUp("http://remove.example/a"), "<none>");
    EXPECT_EQ(t.file(), "");
    EXPECT_TRUE(t.dialogs.boxes.isEmpty());
}

TEST(KeyringLogins, TheFileChosenTakesThePasswordsBack)
{
    NEEDS_PRIVATE_KEYRING();
    Logins t("http://back.example/a|ann|pa\r\n\r\nhttp://back.example/b|ben|pb\r\n\r\n");
    KeyringPasswordStore keyring;
    t.logins.startPasswords(&keyring, false);
    ASSERT_EQ(lookUp("http://back.example/b"), "pb");

    t.logins.keepPasswordsInFile(true);
    EXPECT_EQ(t.file(), "http://back.example/a|ann|pa\r\n\r\nhttp://back.example/b|ben|pb\r\n\r\n");
    EXPECT_EQ(lookUp("http://back.example/a"), "<none>");
    EXPECT_EQ(lookUp("http://back.example/b"), "<none>");

    t.logins.keepPasswordsInFile(false);
    EXPECT_EQ(t.file(), "http://back.example/a|ann|\r\n\r\nhttp://back.example/b|ben|\r\n\r\n");
    EXPECT_EQ(lookUp("http://back.example/a"), "pa");
    EXPECT_TRUE(t.dialogs.boxes.isEmpty());
}

TEST(NoKeyring, AProbeAndAWriteFailRatherThanWait)
{
    if (keyringMode() != QLatin1String("none") && keyringMode() != QLatin1String("no-bus"))
        GTEST_SKIP() << "needs a session without a keyring, from keyring-session";
    KeyringPasswordStore keyring;
    const PasswordResult answer = keyring.probe();
    EXPECT_FALSE(answer.ok());
    EXPECT_FALSE(answer.error.isEmpty());
    EXPECT_FALSE(keyring.write("http://none.example/a", "ann", "pa").ok()) << "a failure, not a wait without end";
}
