// postmaven-cli on data folders that are shared, broken or full: what it says,
// the status it ends with, and that it loses nothing.
#include "cli/cli_helpers.h"
#include "platform/data_lock.h"
#include "support/small_file_system.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTest>
#include <QTimer>

#include <functional>
#include <sys/file.h>
#include <unistd.h>

TEST(SharedFolder, BadDataFoldersSayWhatIsWrong)
{
    PageServer pages;
    struct Row {
        const char *name;
        QString arguments; // ROOT: a folder of the row's own
        std::function<void(const QString &root, Cli &cli)> prepare;
        int status;
        const char *said;
        const char *absent; // under root, not there afterwards
    };
    const QList<Row> rows = {
        { "list in a folder that is not there", "list --data-dir ROOT/typo/deep/x", nullptr, 1, "does not exist",
            "typo" },
        { "watch in a folder whose parent is not there", "watch --data-dir ROOT/typo/x URL", nullptr, 1,
            "does not exist", "typo" },
        { "watch makes the last folder", "watch --data-dir ROOT/new URL", nullptr, 0, "", nullptr },
        { "--data-dir before the command", "--data-dir ROOT/given watch URL",
            [](const QString &root, Cli &) { QDir().mkpath(root + "/given"); }, 0, "", nullptr },
        { "a folder that is a link to itself", "watch --data-dir ROOT/loop URL",
            [](const QString &root, Cli &) { QFile::link(root + "/loop", root + "/loop"); }, 1,
            "Too many levels of symbolic links", nullptr },
        { "a folder that is a link to nowhere", "watch --data-dir ROOT/dangling URL",
            [](const QString &root, Cli &) { QFile::link(root + "/gone", root + "/dangling"); }, 1,
            "which does not exist", "gone" },
        { "a home folder that cannot be written", "watch URL",
            [](const QString &root, Cli &cli) {
                writeBytes(root + "/home", "");
                cli.env.insert("XDG_DATA_HOME", root + "/home/.local/share");
            },
            1, "/home/.local/share/Postmaven cannot be used: Not a directory", nullptr },
        { "a lock that is a folder", "watch --data-dir ROOT/d URL",
            [](const QString &root, Cli &) { QDir().mkpath(root + "/d/postmaven.lock"); }, 1,
            "postmaven.lock is a folder", "d/posts.txt" },
        { "a folder its owner may only read", "watch --data-dir ROOT/readonly URL",
            [](const QString &root, Cli &cli) {
                QDir().mkpath(root + "/readonly");
                QFile::setPermissions(root + "/readonly", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
                // Root may write anywhere: the run is made by nobody, who owns the folder.
                if (::geteuid() == 0) {
                    QFile::setPermissions(root, QFile::permissions(root) | QFileDevice::ExeOther);
                    EXPECT_EQ(::chown(QFile::encodeName(root + "/readonly").constData(), 65534, 65534), 0);
                    cli.runAs = QStringList { QStandardPaths::findExecutable("setpriv"), "--reuid=65534",
                        "--regid=65534", "--clear-groups" };
                }
            },
            1, "postmaven.lock could not be created: Permission denied", "readonly/posts.txt" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Cli cli;
        QTemporaryDir place;
        if (row.prepare)
            row.prepare(place.path(), cli);
        const QStringList arguments
            = QString(row.arguments).replace("ROOT", place.path()).replace("URL", pages.url("/post")).split(' ');
        const Outcome o = cli.runWithoutFolder(arguments);
        EXPECT_EQ(o.status, row.status) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(QLatin1String(row.said))) << o.err.toStdString();
        EXPECT_FALSE(o.err.contains("Postmaven is open")) << o.err.toStdString();
        if (row.absent)
            EXPECT_FALSE(QFileInfo::exists(place.filePath(QLatin1String(row.absent))));
        if (row.status == 0)
            EXPECT_EQ(
                cli.runWithoutFolder(QStringList { "list" } + arguments.mid(arguments.indexOf("--data-dir"), 2)).out,
                pages.url("/post") + "\t100\n");
        EXPECT_FALSE(QFileInfo::exists(cli.home.filePath("data/Postmaven"))) << "the window's folder is left alone";
    }
}

TEST(SharedFolder, TheLockSaysWhoHoldsItAndOnlyTheWindowRefuses)
{
    PageServer pages;
    const QString url = pages.url("/post");
    QProcess ended;
    ended.start("sleep", { "0.1" });
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    struct Row {
        const char *name;
        std::function<std::unique_ptr<QObject>(const Cli &)> hold; // keeps a holder alive through the run
        int status;
        const char *said;
        bool watched;
    };
    auto lockFile = [](const QByteArray &bytes) {
        return [bytes](const Cli &cli) {
            cli.writeFile("postmaven.lock", bytes);
            return std::unique_ptr<QObject>();
        };
    };
    // A DataLock held by this process, in an object the row keeps.
    struct Held : QObject {
        DataLock lock;
        Held(const QString &folder, DataLock::Holder holder)
            : lock(folder, holder)
        {
            EXPECT_EQ(lock.tryLock(), DataLock::State::Taken);
        }
    };
    const QByteArray thisHost = QSysInfo::machineHostName().toUtf8();
    const QList<Row> rows = {
        { "an empty lock file nobody holds", lockFile(""), 0, "removed the stale lock", true },
        { "a lock file of garbage", lockFile("\x01\x02 not a lock"), 0, "removed the stale lock", true },
        { "a lock naming another host", lockFile("holder window\npid 4242\nhost elsewhere.example\n"), 0,
            "removed the stale lock", true },
        { "a lock of a postmaven-cli that has ended",
            lockFile("holder postmaven-cli\npid " + QByteArray::number(endedPid) + "\nhost " + thisHost + "\n"), 0,
            "removed the stale lock", true },
        { "a window lock left by a crash, which another run is looking at",
            [endedPid, thisHost](const Cli &cli) {
                cli.writeFile("postmaven.lock",
                    "holder window\npid " + QByteArray::number(endedPid) + "\nhost " + thisHost + "\n");
                // As the other run's look takes it for a moment, drawn out.
                auto look = std::make_unique<QFile>(cli.data.filePath("postmaven.lock"));
                EXPECT_TRUE(look->open(QIODevice::ReadOnly));
                EXPECT_EQ(::flock(look->handle(), LOCK_EX | LOCK_NB), 0);
                QTimer::singleShot(500, look.get(), [file = look.get()] { file->close(); });
                return look;
            },
            0, "removed the stale lock", true },
        { "held by the window",
            [](const Cli &cli) { return std::make_unique<Held>(cli.data.path(), DataLock::Holder::Window); }, 3,
            "Postmaven is open", false },
        { "held by the window of an older version",
            [](const Cli &cli) {
                auto holder = std::make_unique<QObject>();
                auto *old = new QLockFile(cli.data.filePath("postmaven.lock"));
                EXPECT_TRUE(old->tryLock(0));
                QObject::connect(holder.get(), &QObject::destroyed, [old] { delete old; });
                return holder;
            },
            3, "Postmaven is open", false },
        { "held by another postmaven-cli for a few seconds",
            [](const Cli &cli) {
                auto held = std::make_unique<Held>(cli.data.path(), DataLock::Holder::CommandLine);
                QTimer::singleShot(2500, held.get(), [lock = &held->lock] { lock->unlock(); });
                return held;
            },
            0, "waiting for postmaven-cli (process", true },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Cli cli;
        const auto holder = row.hold(cli);
        const Outcome o = cli.run({ "watch", url });
        EXPECT_EQ(o.status, row.status) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(QLatin1String(row.said))) << o.err.toStdString();
        EXPECT_EQ(cli.file("posts.txt").contains(url.toUtf8()), row.watched);
        if (!holder)
            EXPECT_EQ(cli.file("postmaven.lock"), "<missing>") << "let go at the end";
    }
}

TEST(SharedFolder, RunsAtTheSameTimeAllLand)
{
    PageServer pages;
    pages.delayMs = 200;
    Cli cli;
    cli.writeFile("posts.txt", records({ pages.url("/u0"), pages.url("/u1") }));
    cli.writeFile("sizes.txt", records({ "none", "none" }));
    // As scripts and timers may start them: watches, checks with posts to
    // measure, and lists, all at once.
    QStringList expected = { pages.url("/u0"), pages.url("/u1") };
    QList<QStringList> runs;
    for (int i = 0; i < 5; ++i) {
        expected.append(pages.url(QByteArray("/w" + QByteArray::number(i)).constData()));
        runs.append({ "watch", "--data-dir", cli.data.path(), expected.last() });
    }
    for (int i = 0; i < 2; ++i) {
        runs.append({ "check", "--data-dir", cli.data.path() });
        runs.append({ "list", "--data-dir", cli.data.path() });
    }
    std::vector<std::unique_ptr<QProcess>> started;
    for (const QStringList &arguments : runs)
        started.push_back(cli.start(arguments));
    for (size_t i = 0; i < started.size(); ++i) {
        QProcess &p = *started[i];
        QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 60000);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 0) << runs[int(i)].join(' ').toStdString() << ": " << err.toStdString();
    }
    QStringList listed;
    for (const QString &address : expected)
        listed += address + "\t100";
    QStringList lines = cli.run({ "list" }).out.split('\n', Qt::SkipEmptyParts);
    lines.sort();
    listed.sort();
    EXPECT_EQ(lines, listed) << "every post watched, every size recorded";
}

TEST(SharedFolder, AFullOrReadOnlyDiskLosesNothing)
{
    PageServer pages;
    pages.sizes = { { "/a", 1000 }, { "/b", 3000 } };
    const QByteArray posts = records({ pages.url("/a"), pages.url("/b"), pages.url("/c") });
    const QByteArray sizes = records({ "1000 pages=1", "2000 pages=1", "none" });
    struct Row {
        const char *name;
        int leave; // bytes left free; -1: the file system is read-only
        QStringList arguments;
        const char *said;
    };
    const QList<Row> rows = {
        { "check with a first size to record, room for the lock only", 4096, { "check" }, "cannot write " },
        { "watch, room for the lock only", 4096, { "watch", pages.url("/d") }, "No space left on device" },
        { "watch, no room for the lock", 0, { "watch", pages.url("/d") },
            "postmaven.lock could not be created: No space left on device" },
        { "watch on a read-only file system", -1, { "watch", pages.url("/d") },
            "postmaven.lock could not be created: Read-only file system" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SmallFileSystem disk;
        if (!disk.mounted())
            GTEST_SKIP() << disk.skipReason().toStdString();
        writeBytes(disk.filePath("posts.txt"), posts);
        writeBytes(disk.filePath("sizes.txt"), sizes);
        ASSERT_TRUE(row.leave < 0 ? disk.makeReadOnly() : disk.fill(row.leave));
        Cli cli;
        const Outcome o = cli.runWithoutFolder(
            QStringList { row.arguments.first(), "--data-dir", disk.path() } + row.arguments.mid(1));
        EXPECT_EQ(o.status, 1) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(QLatin1String(row.said))) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(disk.path())) << "names the file";
        EXPECT_EQ(readBytes(disk.filePath("posts.txt")), posts);
        EXPECT_EQ(readBytes(disk.filePath("sizes.txt")), sizes);
        EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), row.leave < 0 ? 2 : 3)
            << "no lock or temporary file left: "
            << QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
    }
}

TEST(SharedFolder, WhatCutShortWritesLeftIsClearedByTheNextChange)
{
    PageServer pages;
    Cli cli;
    // A kept thread text is named by a digest of its address.
    const QString text = "threads/" + QString(40, '7') + ".text";
    const QStringList leftovers = { "posts.txt.AbCd12", "sizes.txt.QwErTy", "postmaven.lock.Zz9zZz", text + ".X1y2Z3" };
    const QStringList kept
        = { "posts.txt.backup", "notes.txt.AbCd12", "sizes.txt.AbCd123", text + ".backup", "threads/notes.AbCd12" };
    QDir(cli.data.path()).mkdir("threads");
    for (const QString &name : leftovers + kept)
        cli.writeFile(name.toUtf8().constData(), QByteArray(1000, 'x'));
    EXPECT_EQ(cli.run({ "watch", pages.url("/post") }).status, 0);
    for (const QString &name : leftovers)
        EXPECT_EQ(cli.file(name.toUtf8().constData()), "<missing>") << name.toStdString();
    for (const QString &name : kept)
        EXPECT_EQ(cli.file(name.toUtf8().constData()), QByteArray(1000, 'x')) << name.toStdString();
}
