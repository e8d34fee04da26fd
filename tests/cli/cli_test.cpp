// postmaven-cli run as a user runs it: a separate process on a temporary data
// folder and configuration, against loopback servers in this process.
#include "cli/cli_helpers.h"
#include "platform/data_lock.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <functional>
#include <sys/stat.h>

namespace {
QString json(const QJsonObject &line)
{
    return QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact));
}
} // namespace

TEST(Cli, CheckPrintsTheThreadWithNewRepliesAndNamesTheDeadOne)
{
    PageServer pages;
    pages.replies = { { "/a", 20 }, { "/b", 20 } };
    const QString twenty = QString::number(PageServer::thread(20).size());
    const QString a = pages.url("/a");
    const QString b = pages.url("/b");
    Cli cli;
    const QString dead = deadAddress();
    const Outcome watchDead = cli.run({ "watch", dead });
    EXPECT_EQ(watchDead.status, 2);
    EXPECT_TRUE(watchDead.err.contains(dead)) << watchDead.err.toStdString();
    EXPECT_EQ(cli.run({ "watch", a }).status, 0);
    EXPECT_EQ(cli.run({ "watch", b }).status, 0);
    EXPECT_EQ(cli.file("posts.txt"), records({ dead, a, b }));
    // A size now names the pages it adds up; older versions read it as no size.
    const QByteArray sizes = records({ "none", twenty + " pages=1", twenty + " pages=1" });
    EXPECT_EQ(cli.file("sizes.txt"), sizes);
    EXPECT_EQ(cli.run({ "list" }).out, dead + "\tnone\n" + a + "\t" + twenty + "\n" + b + "\t" + twenty + "\n");

    pages.replies["/b"] = 22;
    const QString added = "user21\nReply number 21\nQuote\nuser22\nReply number 22\nQuote";
    const Outcome check = cli.run({ "check" });
    EXPECT_EQ(check.status, 2);
    EXPECT_EQ(check.out, b + "\n    " + QString(added).replace("\n", "\n    ") + "\n")
        << "the address, and under it the text added";
    EXPECT_TRUE(check.err.contains(dead) && check.err.contains("refused")) << check.err.toStdString();
    EXPECT_FALSE(check.err.contains(a));
    EXPECT_EQ(cli.file("sizes.txt"), sizes) << "the post listed keeps its measure until it is watched again";

    const Outcome told = cli.run({ "check", "--json" });
    EXPECT_EQ(told.status, 2);
    EXPECT_TRUE(told.err.contains(dead));
    QList<QJsonObject> lines = jsonLines(told.out);
    ASSERT_EQ(lines.size(), 3) << told.out.toStdString();
    EXPECT_TRUE(lines[0].take("error").toString().contains("refused"));
    const QJsonValue null;
    const int twentyBytes = twenty.toInt();
    EXPECT_EQ(json(lines[0]),
        json({ { "address", dead }, { "recordedSize", null }, { "currentSize", null }, { "pages", null },
            { "newReplies", false }, { "added", null } }));
    EXPECT_EQ(json(lines[1]),
        json({ { "address", a }, { "recordedSize", twentyBytes }, { "currentSize", twentyBytes }, { "pages", 1 },
            { "newReplies", false }, { "added", null }, { "error", null } }));
    EXPECT_EQ(json(lines[2]),
        json({ { "address", b }, { "recordedSize", twentyBytes }, { "currentSize", PageServer::thread(22).size() },
            { "pages", 1 }, { "newReplies", true }, { "added", added }, { "error", null } }));

    // Watching the thread again records it as it is now, as in the window.
    EXPECT_EQ(cli.run({ "watch", b }).status, 0);
    EXPECT_EQ(cli.file("sizes.txt"),
        records({ "none", twenty + " pages=1", QString::number(PageServer::thread(22).size()) + " pages=1" }));
    EXPECT_EQ(cli.file("posts.txt"), records({ dead, a, b }));
    EXPECT_EQ(cli.run({ "check" }).out, "");
}

TEST(Cli, CheckTellsThePostsInTheOrderOfTheList)
{
    PageServer pages;
    Cli cli;
    QStringList posts;
    // The posts first in the list answer last.
    for (const QByteArray path : { "/a", "/b", "/c", "/d" }) {
        pages.replies[path] = 2;
        pages.delays[path] = 200 - 50 * static_cast<int>(posts.size());
        posts.append(pages.url(path.constData()));
    }
    const QString measured = QString::number(PageServer::thread(2).size()) + " pages=1";
    cli.writeFile("posts.txt", records(posts));
    cli.writeFile("sizes.txt", records({ measured, measured, measured, measured }));
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
    QDir().mkpath(cli.home.filePath("config/Postmaven"));
    for (const Row &r : rows) {
        writeBytes(cli.home.filePath("config/Postmaven/Postmaven.ini"), r.settings);
        pages.tally = {};
        const Outcome check = cli.run(QStringList { "check", "--json" } + r.options);
        EXPECT_EQ(check.status, 0) << r.name << ": " << check.err.toStdString();
        QStringList told;
        for (const QJsonObject &line : jsonLines(check.out))
            told.append(line["address"].toString());
        EXPECT_EQ(told, posts) << r.name;
        EXPECT_EQ(pages.tally.mostOpen, r.atOnce) << r.name;
    }
}

TEST(Cli, WhatAWindowDoesDuringACheckIsKept)
{
    struct Row {
        const char *name;
        std::function<std::unique_ptr<DataLock>(const Cli &)> meanwhile;
        int status;
        QByteArray posts; // afterwards
        QByteArray sizes;
    };
    PageServer pages;
    pages.sizes = { { "/new", 4321 } };
    pages.delayMs = 300;
    const QList<Row> rows = {
        { "a window opens and closes: it adds a watch and writes both files",
            [&](const Cli &cli) {
                cli.writeFile("posts.txt", records({ "http://added.example/", pages.url("/new") }));
                cli.writeFile("sizes.txt", records({ "77", "none" }));
                return nullptr;
            },
            0, records({ "http://added.example/", pages.url("/new") }), records({ "77", "4321 pages=1" }) },
        { "a window opens: its lists are the ones kept",
            [](const Cli &cli) {
                auto window = std::make_unique<DataLock>(cli.data.path(), DataLock::Holder::Window);
                EXPECT_EQ(window->tryLock(), DataLock::State::Taken);
                return window;
            },
            3, records({ pages.url("/new") }), records({ "none" }) },
    };
    for (const Row &r : rows) {
        Cli cli;
        cli.writeFile("posts.txt", records({ pages.url("/new") }));
        cli.writeFile("sizes.txt", records({ "none" }));
        pages.requests.clear();
        const auto check = cli.start({ "check", "--data-dir", cli.data.path() });
        // While the page is on its way.
        QTRY_VERIFY_WITH_TIMEOUT(!pages.requests.isEmpty(), 10000);
        const auto held = r.meanwhile(cli);
        const Outcome o = Cli::wait(*check);
        EXPECT_EQ(o.status, r.status) << r.name << ": " << o.err.toStdString();
        EXPECT_EQ(o.out, "") << r.name << ": a first measurement is no news";
        if (r.status == 3)
            EXPECT_EQ(o.err, "postmaven-cli: Postmaven is open; watch the post there\n") << r.name;
        EXPECT_EQ(cli.file("posts.txt"), r.posts) << r.name;
        EXPECT_EQ(cli.file("sizes.txt"), r.sizes) << r.name;
    }
}

TEST(Cli, WhileTheWindowIsOpenOnlyReadingRuns)
{
    PageServer pages;
    pages.sizes = { { "/a", 2000 } };
    Cli cli;
    cli.writeFile("posts.txt", records({ pages.url("/a"), pages.url("/b") }));
    cli.writeFile("sizes.txt", records({ "1000", "100" }));
    DataLock window(cli.data.path(), DataLock::Holder::Window);
    ASSERT_EQ(window.tryLock(), DataLock::State::Taken);

    const Outcome check = cli.run({ "check" });
    EXPECT_EQ(check.status, 0) << "every size is recorded: the check only reads";
    EXPECT_EQ(check.out, pages.url("/a") + "\n");
    EXPECT_EQ(cli.run({ "list" }).status, 0);

    const Outcome watch = cli.run({ "watch", pages.url("/c") });
    EXPECT_EQ(watch.status, 3);
    EXPECT_EQ(watch.err, "postmaven-cli: Postmaven is open; watch the post there\n");
    EXPECT_EQ(pages.requests.size(), 2) << "nothing fetched for the refused watch";

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
    // How each format converts: the link converter's tests.
    struct Row {
        const char *name;
        const char *format;
        QByteArray input;
        int status;
        QString out;
    };
    const QList<Row> rows = {
        { "a built-in format, UTF-8 in and out", "html", "caf\xc3\xa9 http://a.b/", 0,
            QString::fromUtf8("caf\xc3\xa9 <a href='http://a.b/'>http://a.b/</a>") },
        { "a template of the user's own", "wiki", "to me@x.org", 0, "to [[mail:me@x.org|me@x.org]]" },
        { "text leaves it as it is", "text", "http://a.b/\r\nline two", 0, "http://a.b/\r\nline two" },
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
        EXPECT_TRUE(o.err.contains(QLatin1String(r.said)) && o.err.contains("--help"))
            << r.name << ": " << o.err.toStdString();
    }
    EXPECT_EQ(cli.file("posts.txt"), "<missing>") << "bad usage writes nothing";
    EXPECT_FALSE(QFileInfo::exists(cli.home.filePath("data/Postmaven"))) << "nor makes a folder";

    const QList<QPair<QStringList, QStringList>> helps = {
        { { "--help" },
            { "Usage: postmaven-cli [options] command\n", "\n  check ", "\n  watch ", "\n  list ", "\n  convert " } },
        { { "check", "--help" },
            { "Usage: postmaven-cli check [options]\n", "--data-dir <dir>", "--json", "--notify" } },
        { { "--version" }, { "postmaven-cli 2.03\n" } },
    };
    for (const auto &[arguments, said] : helps) {
        const Outcome o = cli.runWithoutFolder(arguments);
        EXPECT_EQ(o.status, 0) << arguments.join(' ').toStdString();
        EXPECT_TRUE(o.out.startsWith(said.first())) << o.out.toStdString();
        for (const QString &part : said)
            EXPECT_TRUE(o.out.contains(part)) << part.toStdString();
    }
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
        for (const char *command : { "list", "check" }) {
            const Outcome o = cli.run({ command });
            EXPECT_EQ(o.status, 1) << command;
            EXPECT_TRUE(o.err.contains("cannot read " + cli.data.filePath("posts.txt"))) << o.err.toStdString();
        }
    }
}

TEST(Cli, AddressesThatCannotBeFetchedSayWhy)
{
    // Which addresses cannot be fetched: FetchError's tests.
    const QList<QPair<const char *, const char *>> rows = {
        { "ftp://files.example/t/1",
            "Unsupported address \"ftp://files.example/t/1\": only http and https addresses are "
            "fetched. (error 10908)" },
        { "http://127.0.0.1:99999/t/1", "Invalid port \"99999\" in the address \"http://127.0.0.1:99999/t/1\"" },
    };
    // As in the window, such a post is watched without a size, and each check names it again.
    Cli cli;
    for (const auto &[address, said] : rows) {
        const Outcome o = cli.run({ "watch", address });
        EXPECT_EQ(o.status, 2) << address;
        EXPECT_TRUE(o.err.contains(QLatin1String(said))) << o.err.toStdString();
    }
    const Outcome check = cli.run({ "check" });
    EXPECT_EQ(check.status, 2);
    for (const auto &[address, said] : rows)
        EXPECT_TRUE(check.err.contains(QLatin1String(said))) << check.err.toStdString();
}

TEST(Cli, AnAddressTwiceIsWrittenBackOnce)
{
    // Which copy is kept: the list model's tests.
    PageServer pages;
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
        int status;
    };
    const QList<Row> rows = {
        { "by a check that measures", { a, b, a, a }, { "none", "100 pages=1", "100 pages=1", "7 pages=1" },
            a + "\t100\n" + b + "\t100\n", { a, b }, { "100 pages=1", "100 pages=1" }, 2, 0 },
        { "by a check that records nothing", { dead, dead }, { "none", "5 pages=1" }, dead + "\t5\n", { dead },
            { "5 pages=1" }, 0, 2 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Cli cli;
        cli.writeFile("posts.txt", records(row.posts));
        cli.writeFile("sizes.txt", records(row.sizes));
        EXPECT_EQ(cli.run({ "list" }).out, row.listed);
        pages.requests.clear();
        const Outcome check = cli.run({ "check" });
        EXPECT_EQ(check.status, row.status) << check.err.toStdString();
        EXPECT_EQ(check.out, "");
        EXPECT_EQ(pages.requests.size(), row.fetched);
        EXPECT_EQ(cli.file("posts.txt"), records(row.postsAfter));
        EXPECT_EQ(cli.file("sizes.txt"), records(row.sizesAfter));
    }
}

TEST(Cli, TheWindowsDataFolderByDefault)
{
    PageServer pages;
    Cli cli;
    EXPECT_EQ(cli.runWithoutFolder({ "watch", pages.url("/x") }).status, 0);
    EXPECT_EQ(readBytes(cli.home.filePath("data/Postmaven/posts.txt")), records({ pages.url("/x") }));
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
    PageServer pages;
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
