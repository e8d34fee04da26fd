// postmaven-cli run as a user runs it: a separate process on a temporary data
// folder and configuration, against loopback servers in this process.
#include "cli/cli_helpers.h"
#include "platform/data_lock.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sys/stat.h>

TEST(Cli, CheckPrintsTheThreadWithNewRepliesAndNamesTheDeadOne)
{
    Pages pages;
    pages.replies = { { "/a", 20 }, { "/b", 20 } };
    const QString twenty = QString::number(Pages::thread(20).size());
    Cli cli;
    const QString dead = deadAddress();
    const Outcome watchDead = cli.run({ "watch", dead });
    EXPECT_EQ(watchDead.status, 2);
    EXPECT_TRUE(watchDead.err.contains(dead)) << watchDead.err.toStdString();
    EXPECT_EQ(cli.run({ "watch", pages.url("/a") }).status, 0);
    EXPECT_EQ(cli.run({ "watch", pages.url("/b") }).status, 0);
    EXPECT_EQ(cli.file("posts.txt"), records({ dead, pages.url("/a"), pages.url("/b") }));
    // A size now names the pages it adds up; older versions read it as no size.
    const QByteArray sizes = records({ "none", twenty + " pages=1", twenty + " pages=1" });
    EXPECT_EQ(cli.file("sizes.txt"), sizes);
    const Outcome listed = cli.run({ "list" });
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out,
        dead + "\tnone\n" + pages.url("/a") + "\t" + twenty + "\n" + pages.url("/b") + "\t" + twenty + "\n");

    pages.replies["/b"] = 22;
    const Outcome check = cli.run({ "check" });
    EXPECT_EQ(check.status, 2);
    EXPECT_EQ(check.out,
        pages.url("/b") + "\n    user21\n    Reply number 21\n    Quote\n    user22\n    Reply number 22\n    Quote\n")
        << "the address, and under it the text added";
    EXPECT_TRUE(check.err.contains(dead)) << check.err.toStdString();
    EXPECT_TRUE(check.err.contains("refused")) << check.err.toStdString();
    EXPECT_FALSE(check.err.contains(pages.url("/a")));
    EXPECT_EQ(cli.file("sizes.txt"), sizes) << "the post listed keeps its measure until it is watched again";

    const Outcome json = cli.run({ "check", "--json" });
    EXPECT_EQ(json.status, 2);
    const QList<QJsonObject> lines = jsonLines(json.out);
    ASSERT_EQ(lines.size(), 3) << json.out.toStdString();
    EXPECT_EQ(lines[0]["address"].toString(), dead);
    EXPECT_TRUE(lines[0]["recordedSize"].isNull());
    EXPECT_TRUE(lines[0]["currentSize"].isNull());
    EXPECT_FALSE(lines[0]["newReplies"].toBool());
    EXPECT_TRUE(lines[0]["error"].toString().contains("refused"));
    EXPECT_EQ(lines[1]["address"].toString(), pages.url("/a"));
    EXPECT_EQ(lines[1]["recordedSize"].toInt(), twenty.toInt());
    EXPECT_FALSE(lines[1]["newReplies"].toBool());
    EXPECT_TRUE(lines[1]["added"].isNull());
    EXPECT_TRUE(lines[1]["error"].isNull());
    EXPECT_EQ(lines[2]["address"].toString(), pages.url("/b"));
    EXPECT_EQ(lines[2]["recordedSize"].toInt(), twenty.toInt());
    EXPECT_EQ(lines[2]["currentSize"].toInt(), Pages::thread(22).size());
    EXPECT_TRUE(lines[2]["newReplies"].toBool());
    EXPECT_EQ(lines[2]["added"].toString(), "user21\nReply number 21\nQuote\nuser22\nReply number 22\nQuote");
    EXPECT_EQ(lines[2]["pages"].toInt(), 1) << "the pages of its thread that were added up";
    EXPECT_TRUE(lines[0]["pages"].isNull());
    EXPECT_TRUE(json.err.contains(dead));

    // Watching the thread again records it as it is now, as in the window.
    EXPECT_EQ(cli.run({ "watch", pages.url("/b") }).status, 0);
    EXPECT_EQ(cli.file("sizes.txt"),
        records({ "none", twenty + " pages=1", QString::number(Pages::thread(22).size()) + " pages=1" }));
    EXPECT_EQ(cli.file("posts.txt"), records({ dead, pages.url("/a"), pages.url("/b") }));
    EXPECT_EQ(cli.run({ "check" }).out, "");
}

TEST(Cli, CheckTellsThePostsInTheOrderOfTheList)
{
    Pages pages;
    Cli cli;
    QStringList posts;
    QByteArray sizes;
    // The posts first in the list answer last.
    for (const QByteArray path : { "/a", "/b", "/c", "/d" }) {
        pages.replies[path] = 2;
        pages.delays[path] = 200 - 50 * static_cast<int>(posts.size());
        posts.append(pages.url(path.constData()));
        sizes += QByteArray::number(Pages::thread(2).size()) + " pages=1\r\n\r\n";
    }
    cli.writeFile("posts.txt", records(posts));
    cli.writeFile("sizes.txt", sizes);
    for (const QByteArray path : { "/a", "/b", "/c", "/d" })
        pages.replies[path] = 3;
    struct Row {
        const char *name;
        QStringList options;
        QByteArray settings;
        int atOnce; // connections open at once
    };
    const QList<Row> rows = {
        { "two to a host unless told", {}, {}, 2 },
        { "one to a host on the command line", { "--max-per-host", "1" }, {}, 1 },
        { "one to a host in the settings", {}, "[Settings]\nmaxConnectionsPerHost=1\n", 1 },
        { "one in all", { "--max-connections", "1" }, {}, 1 },
        { "the command line over the settings", { "--max-per-host", "2" }, "[Settings]\nmaxConnectionsPerHost=1\n", 2 },
    };
    for (const Row &r : rows) {
        QDir().mkpath(cli.home.filePath("config/Postmaven"));
        QFile settings(cli.home.filePath("config/Postmaven/Postmaven.ini"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(r.settings);
        settings.close();
        pages.server.tally = {};
        const Outcome check = cli.run(QStringList { "check", "--json" } + r.options);
        EXPECT_EQ(check.status, 0) << r.name << ": " << check.err.toStdString();
        QStringList told;
        for (const QJsonObject &line : jsonLines(check.out))
            told.append(line["address"].toString());
        EXPECT_EQ(told, posts) << r.name;
        EXPECT_EQ(pages.server.tally.mostOpen, r.atOnce) << r.name;
    }
}

TEST(Cli, CheckRecordsMissingSizesWithoutLosingWhatChangedMeanwhile)
{
    Pages pages;
    pages.sizes = { { "/new", 4321 } };
    pages.delayMs = 300;
    Cli cli;
    cli.writeFile("posts.txt", records({ pages.url("/new") }));
    cli.writeFile("sizes.txt", records({ "none" }));
    QProcess p;
    p.setProcessEnvironment(cli.env);
    QSignalSpy finished(&p, &QProcess::finished);
    p.start(QStringLiteral(CLI_PROGRAM), { "check", "--data-dir", cli.data.path() });
    // While the page is on its way, a window opens and closes: it adds a
    // watch and writes both files.
    QTRY_VERIFY_WITH_TIMEOUT(!pages.server.requests.isEmpty(), 10000);
    cli.writeFile("posts.txt", records({ "http://added.example/", pages.url("/new") }));
    cli.writeFile("sizes.txt", records({ "77", "none" }));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray()) << "a first measurement is no news";
    EXPECT_EQ(cli.file("posts.txt"), records({ "http://added.example/", pages.url("/new") }));
    EXPECT_EQ(cli.file("sizes.txt"), records({ "77", "4321 pages=1" }));
}

TEST(Cli, AWindowOpenedDuringTheCheckKeepsTheLists)
{
    Pages pages;
    pages.delayMs = 300;
    Cli cli;
    cli.writeFile("posts.txt", records({ pages.url("/new") }));
    cli.writeFile("sizes.txt", records({ "none" }));
    QProcess p;
    p.setProcessEnvironment(cli.env);
    QSignalSpy finished(&p, &QProcess::finished);
    p.start(QStringLiteral(CLI_PROGRAM), { "check", "--data-dir", cli.data.path() });
    QTRY_VERIFY_WITH_TIMEOUT(!pages.server.requests.isEmpty(), 10000);
    DataLock window(cli.data.path(), DataLock::Holder::Window);
    ASSERT_EQ(window.tryLock(), DataLock::State::Taken);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(p.exitCode(), 3);
    EXPECT_EQ(p.readAllStandardError(), "postmaven-cli: Postmaven is open; watch the post there\n");
    EXPECT_EQ(cli.file("sizes.txt"), records({ "none" })) << "the open window's lists are the ones kept";
}

TEST(Cli, WhileTheWindowIsOpenOnlyReadingRuns)
{
    Pages pages;
    pages.sizes = { { "/a", 2000 } };
    Cli cli;
    const QByteArray posts = records({ pages.url("/a"), pages.url("/b") });
    const QByteArray sizes = records({ "1000", "100" });
    cli.writeFile("posts.txt", posts);
    cli.writeFile("sizes.txt", sizes);
    DataLock window(cli.data.path(), DataLock::Holder::Window);
    ASSERT_EQ(window.tryLock(), DataLock::State::Taken);

    const Outcome check = cli.run({ "check" });
    EXPECT_EQ(check.status, 0) << "every size is recorded: the check only reads";
    EXPECT_EQ(check.out, pages.url("/a") + "\n");
    EXPECT_EQ(cli.run({ "list" }).status, 0);

    const Outcome watch = cli.run({ "watch", pages.url("/c") });
    EXPECT_EQ(watch.status, 3);
    EXPECT_EQ(watch.err, "postmaven-cli: Postmaven is open; watch the post there\n");
    EXPECT_EQ(pages.server.requests.size(), 2) << "nothing fetched for the refused watch";

    cli.writeFile("posts.txt", records({ pages.url("/a"), pages.url("/c") }));
    cli.writeFile("sizes.txt", records({ "1000", "none" }));
    const Outcome recording = cli.run({ "check" });
    EXPECT_EQ(recording.status, 3);
    EXPECT_TRUE(recording.err.startsWith("postmaven-cli: Postmaven is open; watch the post there\n"));
    EXPECT_TRUE(recording.err.contains(pages.url("/c")));
    EXPECT_EQ(recording.out, "");
    EXPECT_EQ(cli.file("sizes.txt"), records({ "1000", "none" }));

    window.unlock();
    EXPECT_EQ(cli.run({ "check" }).status, 0);
    EXPECT_EQ(cli.file("sizes.txt"), records({ "1000", "100 pages=1" }));
}

TEST(Cli, ConvertFromStandardInput)
{
    Cli cli;
    {
        QSettings ini(cli.home.filePath("config/Postmaven/Postmaven.ini"), QSettings::IniFormat);
        ini.setValue("data/cust01Name", "wiki");
        ini.setValue("data/cust01LinkOpen01", "[[");
        ini.setValue("data/cust01LinkOpen02", "|");
        ini.setValue("data/cust01LinkClose01", "]]");
        ini.setValue("data/cust01MailCall01", "mail:");
    }
    struct Row {
        const char *name;
        const char *format;
        QByteArray input;
        int status;
        QString out;
    };
    const QList<Row> rows = {
        { "built-in ubb", "ubb", "see http://a.b/c now", 0, "see [url=http://a.b/c ]http://a.b/c [/url]now" },
        { "a template of the user's own", "wiki", "to me@x.org", 0, "to [[mail:me@x.org|me@x.org]]" },
        { "text leaves it as it is", "text", "http://a.b/\r\nline two", 0, "http://a.b/\r\nline two" },
        { "UTF-8 passes through", "html", "caf\xc3\xa9 http://a.b/", 0,
            QString::fromUtf8("caf\xc3\xa9 <a href='http://a.b/'>http://a.b/</a>") },
        { "an unknown format", "nope", "x", 1, "" },
    };
    for (const Row &r : rows) {
        const Outcome o = cli.runWithoutFolder({ "convert", "--format", r.format }, r.input);
        EXPECT_EQ(o.status, r.status) << r.name << o.err.toStdString();
        EXPECT_EQ(o.out, r.out) << r.name;
        if (r.status != 0)
            EXPECT_TRUE(o.err.contains("text, html, ubb, ezboard, wiki")) << r.name << o.err.toStdString();
    }
}

TEST(Cli, BadUsageSaysWhatIsWrong)
{
    Cli cli;
    struct Row {
        const char *name;
        QStringList arguments;
        const char *said;
    };
    const QList<Row> rows = {
        { "no command", {}, "no command given" },
        { "an unknown command", { "frob" }, "unknown command 'frob'" },
        { "an unknown option", { "--frob" }, "Unknown option 'frob'" },
        { "an unknown option of a command", { "list", "--frob" }, "Unknown option 'frob'" },
        { "watch without an address", { "watch" }, "Missing url" },
        { "a limit that is no number", { "check", "--max-connections", "many" },
            "--max-connections takes a whole number from 1 to 64" },
        { "no fetch at all to a host", { "check", "--max-per-host", "0" },
            "--max-per-host takes a whole number from 1 to 64" },
        { "watch with two addresses", { "watch", "http://a/", "http://b/" }, "Unexpected argument 'http://b/'" },
        { "watch with an empty address", { "watch", "" }, "The address is empty" },
        // Written as one record, it would read back as two posts.
        { "watch with a line break in the address", { "watch", "http://127.0.0.1/t/1\nhttp://evil.example/" },
            "Not watched: the address holds a line break at character 21" },
        { "watch with a control character in the address", { "watch", "http://127.0.0.1/t/\x7f" },
            "Not watched: the address holds a control character (U+007F)" },
        { "convert without a format", { "convert" }, "No format given" },
        { "a data folder without a name", { "list", "--data-dir" }, "Missing value after '--data-dir'" },
        { "an empty data folder name", { "list", "--data-dir", "" }, "--data-dir was given an empty folder name" },
        { "an empty data folder name before the command", { "--data-dir=", "watch", "http://a/" },
            "--data-dir was given an empty folder name" },
    };
    for (const Row &r : rows) {
        const Outcome o = cli.runWithoutFolder(r.arguments);
        EXPECT_EQ(o.status, 1) << r.name;
        EXPECT_EQ(o.out, "") << r.name;
        EXPECT_TRUE(o.err.contains(QLatin1String(r.said))) << r.name << ": " << o.err.toStdString();
        EXPECT_TRUE(o.err.contains("--help")) << r.name;
    }
    EXPECT_EQ(cli.file("posts.txt"), "<missing>") << "bad usage writes nothing";
    EXPECT_FALSE(QFileInfo::exists(cli.home.filePath("data/Postmaven"))) << "nor makes a folder";

    const Outcome help = cli.runWithoutFolder({ "--help" });
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: postmaven-cli [options] command\n"));
    for (const char *command : { "check", "watch", "list", "convert" })
        EXPECT_TRUE(help.out.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(command)))) << command;
    const Outcome checkHelp = cli.runWithoutFolder({ "check", "--help" });
    EXPECT_EQ(checkHelp.status, 0);
    EXPECT_TRUE(checkHelp.out.startsWith("Usage: postmaven-cli check [options]\n"));
    for (const char *option : { "--data-dir <dir>", "--json", "--notify" })
        EXPECT_TRUE(checkHelp.out.contains(QLatin1String(option))) << option;
    const Outcome version = cli.runWithoutFolder({ "--version" });
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "postmaven-cli 2.03\n");
}

TEST(Cli, DataFilesThatCannotBeRead)
{
    struct Row {
        const char *name;
        std::function<bool(const QString &path)> make;
    };
    const QList<Row> rows = {
        { "a folder", [](const QString &path) { return QDir().mkdir(path); } },
        { "a pipe, which has no end",
            [](const QString &path) { return ::mkfifo(QFile::encodeName(path), 0600) == 0; } },
        { "a link to /dev/zero, which has no end", [](const QString &path) { return QFile::link("/dev/zero", path); } },
        { "a file larger than any list",
            [](const QString &path) {
                QFile f(path);
                return f.open(QIODevice::WriteOnly) && f.resize(65 * 1024 * 1024);
            } },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Cli cli;
        ASSERT_TRUE(row.make(cli.data.filePath("posts.txt")));
        for (const QStringList &arguments : { QStringList { "list" }, QStringList { "check" } }) {
            const Outcome o = cli.run(arguments);
            EXPECT_EQ(o.status, 1) << arguments.first().toStdString();
            EXPECT_TRUE(o.err.contains("cannot read " + cli.data.filePath("posts.txt"))) << o.err.toStdString();
        }
    }
}

TEST(Cli, AddressesThatCannotBeFetchedSayWhy)
{
    Cli cli;
    struct Row {
        const char *address;
        const char *said;
    };
    const QList<Row> rows = {
        { "ftp://files.example/t/1",
            "Unsupported address \"ftp://files.example/t/1\": only http and https addresses are "
            "fetched. (error 10908)" },
        { "javascript:alert(1)", "Unsupported address \"javascript:alert(1)\"" },
        { "http://127.0.0.1:99999/t/1", "Invalid port \"99999\" in the address \"http://127.0.0.1:99999/t/1\"" },
        { "127.0.0.1:0/t/1", "(error 10909)" },
    };
    // As in the window, such a post is watched without a size, and each check names it again.
    for (const Row &row : rows) {
        const Outcome o = cli.run({ "watch", row.address });
        EXPECT_EQ(o.status, 2) << row.address;
        EXPECT_TRUE(o.err.contains(QLatin1String(row.said))) << o.err.toStdString();
    }
    const Outcome check = cli.run({ "check" });
    EXPECT_EQ(check.status, 2);
    for (const Row &row : rows)
        EXPECT_TRUE(check.err.contains(QLatin1String(row.said))) << check.err.toStdString();
}

TEST(Cli, AnAddressIsOnePostAndNoSizeIsBelowNothing)
{
    Pages pages;
    const QString a = pages.url("/a");
    const QString b = pages.url("/b");
    const QString dead = deadAddress();
    struct Row {
        const char *name;
        QStringList posts;
        QStringList sizes;
        QString listed; // before the check
        QStringList postsAfter; // the files after a check
        QStringList sizesAfter;
        int fetched;
        int status = 0;
    };
    const QList<Row> rows = {
        { "a negative size is no size: the check measures the post", { a }, { "-5" }, a + "\tnone\n", { a },
            { "100 pages=1" }, 1 },
        { "an address twice keeps the first copy with a size, where the first copy stood", { a, b, a, a },
            { "none", "100 pages=1", "100 pages=1", "7 pages=1" }, a + "\t100\n" + b + "\t100\n", { a, b },
            { "100 pages=1", "100 pages=1" }, 2 },
        { "an address twice without a size is measured once", { a, a }, { "none", "none" }, a + "\tnone\n", { a },
            { "100 pages=1" }, 1 },
        { "an address twice is written once by a check that records nothing", { dead, dead }, { "none", "5 pages=1" },
            dead + "\t5\n", { dead }, { "5 pages=1" }, 0, 2 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Cli cli;
        cli.writeFile("posts.txt", records(row.posts));
        cli.writeFile("sizes.txt", records(row.sizes));
        EXPECT_EQ(cli.run({ "list" }).out, row.listed);
        pages.server.requests.clear();
        const Outcome check = cli.run({ "check" });
        EXPECT_EQ(check.status, row.status) << check.err.toStdString();
        EXPECT_EQ(check.out, "") << "a first measure is no news";
        EXPECT_EQ(pages.server.requests.size(), row.fetched);
        EXPECT_EQ(cli.file("posts.txt"), records(row.postsAfter));
        EXPECT_EQ(cli.file("sizes.txt"), records(row.sizesAfter));
    }
}

TEST(Cli, TheWindowsDataFolderByDefault)
{
    Pages pages;
    Cli cli;
    const QString folder = cli.home.filePath("data/Postmaven");
    EXPECT_EQ(cli.runWithoutFolder({ "watch", pages.url("/x") }).status, 0);
    QFile posts(folder + "/posts.txt");
    ASSERT_TRUE(posts.open(QIODevice::ReadOnly));
    EXPECT_EQ(posts.readAll(), records({ pages.url("/x") }));
    EXPECT_EQ(cli.runWithoutFolder({ "list" }).out, pages.url("/x") + "\t100\n");
}

// The notification service of a desktop session, on a private bus.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList summaries;
    QStringList bodies;
public slots:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
        const QStringList &, const QVariantMap &, int)
    {
        summaries.append(summary);
        bodies.append(body);
        return static_cast<uint>(summaries.size());
    }
};

TEST(Cli, NotifyTellsTheDesktopWhenThereIsNews)
{
    Pages pages;
    pages.sizes = { { "/grown", 3000 } };
    Cli cli;
    cli.writeFile("posts.txt", records({ pages.url("/grown") }));
    cli.writeFile("sizes.txt", records({ "1000" }));

    const Outcome noSession = cli.run({ "check", "--notify" });
    EXPECT_EQ(noSession.status, 0) << "no desktop session is no failure of the check";
    EXPECT_EQ(noSession.out, pages.url("/grown") + "\n");
    EXPECT_TRUE(noSession.err.contains("no desktop notification")) << noSession.err.toStdString();

    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess bus;
    bus.start(daemon, { "--session", "--nofork", "--print-address=1" });
    ASSERT_TRUE(bus.waitForStarted(10000));
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    FakeNotifications service;
    {
        QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("session-for-test"));
        ASSERT_TRUE(connection.isConnected());
        ASSERT_TRUE(
            connection.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(connection.registerService("org.freedesktop.Notifications"));
        cli.env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);

        const Outcome told = cli.run({ "check", "--notify" });
        EXPECT_EQ(told.status, 0);
        EXPECT_EQ(told.err, "");
        EXPECT_EQ(service.summaries, QStringList({ "Postmaven" }));
        EXPECT_EQ(service.bodies, QStringList({ "1 new replies found\n" + pages.url("/grown") }));

        pages.sizes["/grown"] = 1000;
        EXPECT_EQ(cli.run({ "check", "--notify" }).status, 0);
        EXPECT_EQ(service.summaries.size(), 1) << "no news, no notification";
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("session-for-test"));
    bus.terminate();
    bus.waitForFinished(5000);
}

#include "cli_test.moc"
