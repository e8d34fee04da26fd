#include "platform/data_location.h"
#include "platform/web_sandbox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QFileDevice::Permissions ownerOnlyFolder()
{
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser
        | QFileDevice::WriteUser | QFileDevice::ExeUser;
}

// Root may write anywhere; a program folder the user cannot write is played
// by a check that refuses everything inside it.
std::function<bool(const QString &)> refusing(const QString &folder)
{
    return [folder](const QString &path) { return !path.startsWith(folder) && pathIsWritable(path); };
}

// A program folder, a per-user folder that does not exist yet, and a place
// for an override.
struct Folders {
    QTemporaryDir root;
    QString program = root.filePath("app/bin");
    QString user = root.filePath("home/.local/share/Postmaven");
    QString override = root.filePath("elsewhere");
    Folders() { QDir().mkpath(program); }
    DataLocationInput input() const { return { program, user, QString(), {} }; }
};
} // namespace

TEST(DataLocation, ProgramFolderHoldingWritableDataFilesIsUsed)
{
    Folders f;
    writeBytes(f.program + "/posts.txt", "http://a.example/\r\n\r\n");
    writeBytes(f.program + "/messages.txt", "\r\n");
    const DataLocation where = chooseDataLocation(f.input());
    EXPECT_EQ(where.folder, f.program);
    EXPECT_TRUE(where.notice.isEmpty());
    EXPECT_TRUE(where.copied.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(f.user)) << "the per-user folder is left alone";
}

TEST(DataLocation, UserFolderInsteadOfTheProgramFolder)
{
    struct Row {
        const char *name;
        std::function<void(const Folders &)> prepare;
        bool programWritable;
        QStringList copied;
    };
    const Row rows[] = {
        { "empty program folder: nothing to copy", [](const Folders &) {}, true, {} },
        { "empty read-only program folder: nothing to copy", [](const Folders &) {}, false, {} },
        { "read-only program folder: its data files are copied",
            [](const Folders &f) {
                writeBytes(f.program + "/posts.txt", "http://caf\xe9.example/\r\n\r\n");
                writeBytes(f.program + "/posts2.txt", "http://forum.example/|me|secret\r\n\r\n");
                writeBytes(f.program + "/Help.rtf", "{\\rtf1 help}");
            },
            false, { "posts.txt", "posts2.txt" } },
        { "a data file's name taken by a folder: the rest is copied",
            [](const Folders &f) {
                QDir().mkpath(f.program + "/sizes.txt");
                writeBytes(f.program + "/messages.txt", "hello[br]there\r\n");
            },
            true, { "messages.txt" } },
        { "a read-only data file: its copy can be written",
            [](const Folders &f) {
                writeBytes(f.program + "/htmltemp.txt", "<form>\r\n");
                QFile::setPermissions(f.program + "/htmltemp.txt", QFileDevice::ReadOwner);
            },
            false, { "htmltemp.txt" } },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Folders f;
        row.prepare(f);
        DataLocationInput input = f.input();
        if (!row.programWritable)
            input.canWrite = refusing(f.program);
        const DataLocation where = chooseDataLocation(input);
        EXPECT_EQ(where.folder, f.user);
        EXPECT_EQ(QFileInfo(f.user).permissions(), ownerOnlyFolder());
        EXPECT_EQ(where.copied, row.copied);
        for (const QString &name : row.copied) {
            EXPECT_EQ(readBytes(f.user + "/" + name), readBytes(f.program + "/" + name)) << qPrintable(name);
            EXPECT_EQ(QFileInfo(f.user + "/" + name).permissions(),
                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser)
                << qPrintable(name);
        }
        EXPECT_FALSE(QFileInfo::exists(f.user + "/Help.rtf")) << "only data files move";
        if (row.copied.isEmpty()) {
            EXPECT_TRUE(where.notice.isEmpty()) << qPrintable(where.notice);
        } else {
            EXPECT_EQ(where.notice, QStringLiteral("Data files copied from %1 to %2").arg(f.program, f.user));
        }
    }
}

TEST(DataLocation, CopiedOnceOnly)
{
    Folders f;
    writeBytes(f.program + "/posts.txt", "http://old.example/\r\n\r\n");
    DataLocationInput input = f.input();
    input.canWrite = refusing(f.program);
    ASSERT_EQ(chooseDataLocation(input).copied, QStringList({ "posts.txt" }));
    writeBytes(f.user + "/posts.txt", "http://new.example/\r\n\r\n");
    writeBytes(f.program + "/sizes.txt", "100\r\n\r\n");

    const DataLocation again = chooseDataLocation(input);
    EXPECT_EQ(again.folder, f.user);
    EXPECT_TRUE(again.copied.isEmpty());
    EXPECT_TRUE(again.notice.isEmpty());
    EXPECT_EQ(readBytes(f.user + "/posts.txt"), "http://new.example/\r\n\r\n") << "the user's own file is kept";
    EXPECT_FALSE(QFileInfo::exists(f.user + "/sizes.txt"));
}

TEST(DataLocation, AnEmptyUserFolderIsClosedToOthersWhenTakenIntoUse)
{
    Folders f;
    QDir().mkpath(f.user + "/Postmaven/QtWebEngine");
    QFile::setPermissions(f.user, ownerOnlyFolder() | QFileDevice::ReadOther | QFileDevice::ExeOther);
    EXPECT_EQ(chooseDataLocation(f.input()).folder, f.user);
    EXPECT_EQ(QFileInfo(f.user).permissions(), ownerOnlyFolder());
    EXPECT_TRUE(QFileInfo(f.user + "/Postmaven/QtWebEngine").isDir());
}

TEST(DataLocation, TheCommandLineWinsOverBoth)
{
    struct Row {
        const char *name;
        bool programHoldsData;
        bool programWritable;
    };
    const Row rows[] = {
        { "over a program folder with writable data files", true, true },
        { "over a read-only program folder with data files", true, false },
        { "over an empty program folder", false, true },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Folders f;
        if (row.programHoldsData)
            writeBytes(f.program + "/posts.txt", "http://a.example/\r\n\r\n");
        DataLocationInput input = f.input();
        input.overrideFolder = f.override;
        if (!row.programWritable)
            input.canWrite = refusing(f.program);
        const DataLocation where = chooseDataLocation(input);
        EXPECT_EQ(where.folder, f.override);
        EXPECT_TRUE(where.copied.isEmpty());
        EXPECT_TRUE(where.notice.isEmpty());
        EXPECT_EQ(QFileInfo(f.override).permissions(), ownerOnlyFolder());
        EXPECT_FALSE(QFileInfo::exists(f.user));
    }
}

TEST(DataLocation, AFolderThatCannotBeMadeIsReported)
{
    Folders f;
    QDir().mkpath(f.root.filePath("home/.local/share"));
    writeBytes(f.user, "a file where the folder should be");
    const DataLocation where = chooseDataLocation(f.input());
    EXPECT_EQ(where.folder, f.user);
    EXPECT_EQ(where.error, QStringLiteral("The data folder %1 is not a folder.").arg(f.user));

    DataLocationInput input = f.input();
    input.overrideFolder = f.user + "/below";
    EXPECT_FALSE(chooseDataLocation(input).error.isEmpty());
}

TEST(DataLocation, RelativeOverrideIsTakenFromTheCurrentFolder)
{
    Folders f;
    const QString before = QDir::currentPath();
    QDir::setCurrent(f.root.path());
    DataLocationInput input = f.input();
    input.overrideFolder = "mine";
    const DataLocation where = chooseDataLocation(input);
    QDir::setCurrent(before);
    EXPECT_EQ(where.folder, f.root.filePath("mine"));
}

TEST(DataLocation, UserFolderFollowsXdgDataHome)
{
    EXPECT_EQ(userDataFolder(), qEnvironmentVariable("XDG_DATA_HOME") + "/Postmaven");
}

TEST(HelpFile, BesideTheProgramThenInstalled)
{
    QTemporaryDir prefix;
    const QString bin = prefix.filePath("bin");
    const QString share = prefix.filePath("share/postmaven");
    QDir().mkpath(bin);
    QDir().mkpath(share);
    const QStringList installed = installedDataFolders(bin);
    ASSERT_FALSE(installed.isEmpty());
    EXPECT_EQ(installed.first(), share);

    EXPECT_EQ(findHelpFile(bin, { share }), QString()) << "none anywhere";
    QDir().mkpath(bin + "/Help.rtf");
    EXPECT_EQ(findHelpFile(bin, { share }), QString()) << "a folder is no help file";
    writeBytes(share + "/Help.rtf", "{\\rtf1 installed}");
    EXPECT_EQ(findHelpFile(bin, installed), share + "/Help.rtf");
    QDir(bin).rmdir("Help.rtf");
    writeBytes(bin + "/Help.rtf", "{\\rtf1 beside}");
    EXPECT_EQ(findHelpFile(bin, installed), bin + "/Help.rtf");
}

TEST(WebSandbox, OffForRootOnly)
{
    const QByteArray saved = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    EXPECT_EQ(prepareWebSandbox(false), QString());
    EXPECT_FALSE(qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) << "every other user keeps it";
    EXPECT_EQ(prepareWebSandbox(true), "Running as root: the web page sandbox is off");
    EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), "1");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", saved);
}
