#include "platform/data_location.h"
#include "platform/web_sandbox.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
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

TEST(DataLocation, TheFolderChosenAndWhatIsCopiedThere)
{
    enum Chosen { Program, User, Override };
    struct Row {
        const char *name;
        std::function<void(const Folders &)> prepare;
        bool programWritable;
        bool overridden;
        Chosen chosen;
        QStringList copied;
    };
    const auto posts = [](const Folders &f) { writeBytes(f.program + "/posts.txt", "http://a.example/\r\n\r\n"); };
    const Row rows[] = {
        { "a program folder holding writable data files",
            [](const Folders &f) {
                writeBytes(f.program + "/posts.txt", "http://a.example/\r\n\r\n");
                writeBytes(f.program + "/messages.txt", "\r\n");
            },
            true, false, Program, {} },
        { "empty program folder: nothing to copy", [](const Folders &) {}, true, false, User, {} },
        { "empty read-only program folder: nothing to copy", [](const Folders &) {}, false, false, User, {} },
        { "read-only program folder: its data files are copied",
            [](const Folders &f) {
                writeBytes(f.program + "/posts.txt", "http://caf\xe9.example/\r\n\r\n");
                writeBytes(f.program + "/posts2.txt", "http://forum.example/|me|secret\r\n\r\n");
                writeBytes(f.program + "/Help.rtf", "{\\rtf1 help}");
            },
            false, false, User, { "posts.txt", "posts2.txt" } },
        { "a data file's name taken by a folder: the rest is copied",
            [](const Folders &f) {
                QDir().mkpath(f.program + "/sizes.txt");
                writeBytes(f.program + "/messages.txt", "hello[br]there\r\n");
            },
            true, false, User, { "messages.txt" } },
        { "a read-only data file: its copy can be written",
            [](const Folders &f) {
                writeBytes(f.program + "/htmltemp.txt", "<form>\r\n");
                QFile::setPermissions(f.program + "/htmltemp.txt", QFileDevice::ReadOwner);
            },
            false, false, User, { "htmltemp.txt" } },
        { "the command line over a program folder with writable data files", posts, true, true, Override, {} },
        { "the command line over a read-only program folder with data files", posts, false, true, Override, {} },
        { "the command line over an empty program folder", [](const Folders &) {}, true, true, Override, {} },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Folders f;
        row.prepare(f);
        DataLocationInput input = f.input();
        if (!row.programWritable)
            input.canWrite = refusing(f.program);
        if (row.overridden)
            input.overrideFolder = f.override;
        const DataLocation where = chooseDataLocation(input);
        const QString chosen = row.chosen == Program ? f.program : row.chosen == User ? f.user : f.override;
        EXPECT_EQ(where.folder, chosen);
        if (row.chosen != Program)
            EXPECT_EQ(QFileInfo(chosen).permissions(), ownerOnlyFolder());
        EXPECT_EQ(QFileInfo::exists(f.user), row.chosen == User) << "the per-user folder is made only to be used";
        EXPECT_EQ(where.copied, row.copied);
        for (const QString &name : row.copied) {
            EXPECT_EQ(readBytes(f.user + "/" + name), readBytes(f.program + "/" + name)) << qPrintable(name);
            EXPECT_EQ(QFileInfo(f.user + "/" + name).permissions(),
                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser)
                << qPrintable(name);
        }
        EXPECT_FALSE(QFileInfo::exists(f.user + "/Help.rtf")) << "only data files move";
        EXPECT_EQ(where.notice,
            row.copied.isEmpty() ? QString()
                                 : QStringLiteral("Data files copied from %1 to %2").arg(f.program, f.user));
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
