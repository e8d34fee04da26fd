#include "logins/forum_store.h"
#include "messages/message_store.h"
#include "platform/data_folder.h"
#include "support/files.h"
#include "support/small_file_system.h"
#include "watch/watch_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

namespace {
QByteArray records(const QString &pattern, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += pattern.arg(i).toUtf8() + "\r\n\r\n";
    return out;
}
} // namespace

// Text files end a line at CR LF or CR, and keep a lone LF; list files (the
// watched posts, sizes and forums) end one at any line end, as editors save them.
TEST(DataFolder, LinesAsEachKindOfFileReadsThem)
{
    struct Row {
        const char *name;
        bool list;
        QByteArray bytes;
        QStringList lines;
    };
    const QList<Row> rows = {
        { "text: CR LF or CR ends a line, a lone LF stays", false, "one\r\ntwo\rthree\nstill three\r\n\r\nlast",
            { "one", "two", "three\nstill three", "", "last" } },
        { "text: UTF-8 and older Windows-1252 lines", false, "caf\xc3\xa9\r\ncaf\xe9 \x80 \x93\r\n",
            { QString::fromUtf8("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9c") } },
        { "list as written: CR LF with an empty line after each record", true, "http://a/1\r\n\r\nhttp://b/2\r\n\r\n",
            { "http://a/1", "", "http://b/2", "" } },
        { "list with LF only, as a Linux editor saves it", true, "http://a/1\n\nhttp://b/2\n\n",
            { "http://a/1", "", "http://b/2", "" } },
        { "list with CR only", true, "http://a/1\r\rhttp://b/2\r", { "http://a/1", "", "http://b/2" } },
        { "list with mixed ends", true, "a|u|p\r\n\nb|v|q\n\r\nc|w|r\r\rd",
            { "a|u|p", "", "b|v|q", "", "c|w|r", "", "d" } },
        { "list: LF CR is two line ends", true, "1\n\r2", { "1", "", "2" } },
        { "list without a line end at all", true, "1234", { "1234" } },
        { "empty list", true, "", {} },
    };
    QTemporaryDir dir;
    DataFolder folder(dir.path());
    for (const Row &r : rows) {
        writeBytes(dir.filePath("posts.txt"), r.bytes);
        const LineFile f = r.list ? folder.readListLines("posts.txt") : folder.readLines("posts.txt");
        ASSERT_TRUE(f.ok) << r.name;
        EXPECT_EQ(f.lines, r.lines) << r.name;
    }
}

TEST(DataFolder, AFileThatCannotBeReadOrWrittenGivesAReason)
{
    QTemporaryDir dir;
    const LineFile missing = DataFolder(dir.path()).readListLines("sizes.txt");
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.isEmpty());
    QString error;
    int number = 0;
    EXPECT_FALSE(DataFolder("/nonexistent-postmaven-folder/x").writeText("c.txt", "x", &error, &number));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_NE(number, 0);
}

TEST(DataFolder, WritesAreWholeUtf8AndForTheOwnerOnly)
{
    QTemporaryDir dir;
    DataFolder folder(dir.path());
    QString error;
    ASSERT_TRUE(folder.writeText("b.txt", QString::fromUtf8("\xe2\x82\xac\r\n"), &error)) << qPrintable(error);
    EXPECT_EQ(readBytes(dir.filePath("b.txt")), QByteArray("\xe2\x82\xac\r\n"));
    const auto perms = QFileInfo(dir.filePath("b.txt")).permissions();
    EXPECT_TRUE(perms & QFileDevice::ReadOwner);
    EXPECT_FALSE(perms & QFileDevice::ReadOther);
    EXPECT_FALSE(perms & QFileDevice::ReadGroup);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({ "b.txt" }));
}

TEST(DataFolder, FileExistsTest)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("Help.rtf"), "x");
    writeBytes(dir.filePath(".hidden"), "x");
    QDir(dir.path()).mkdir("folder");
    EXPECT_TRUE(xfileExists(dir.filePath("Help.rtf")));
    EXPECT_FALSE(xfileExists(dir.filePath("missing.rtf")));
    EXPECT_FALSE(xfileExists(dir.filePath(".hidden")));
    EXPECT_FALSE(xfileExists(dir.filePath("folder")));
    EXPECT_FALSE(xfileExists(QString()));
}

// Each writer of a data file, on a file system without room for what it
// writes: it says so, and every file keeps what it held.
TEST(DataFolder, AFullDiskKeepsEveryFileAsItWas)
{
    struct Row {
        const char *name;
        QMap<QString, QByteArray> before;
        int leave; // bytes left free
        std::function<bool(const DataFolder &)> write; // true: the writer says it wrote
    };
    const QList<Row> rows = {
        { "watched posts and their sizes, when only posts.txt would fit",
            { { "posts.txt", records("http://a/%1", 200) },
                { "sizes.txt", records("1234567890%1 pages=50 last=123456789", 200) } },
            4096,
            [](const DataFolder &folder) {
                WatchStore store(folder);
                store.load();
                store.posts().add("http://b/", "none");
                return store.savePosts().isEmpty();
            } },
        { "forums with their passwords", { { "posts2.txt", "http://forum.example/|me|secret\r\n\r\n" } }, 0,
            [](const DataFolder &folder) {
                ForumStore store(folder);
                store.load();
                store.forums().add({ "http://other.example/", "you", "word" });
                FileProblem problem;
                return store.saveForums(&problem);
            } },
        { "saved messages", { { "messages.txt", "hello[br]there|first\r\n" } }, 0,
            [](const DataFolder &folder) {
                QString error;
                return MessageStore(folder).save("one more", "second", &error);
            } },
        { "the page source kept by Auto-Insert", { { "htmltemp.txt", "<form>\r\n" } }, 0,
            [](const DataFolder &folder) { return folder.writeText("htmltemp.txt", "<form><textarea>\r\n"); } },
    };
    for (const Row &row : rows) {
        SmallFileSystem disk;
        if (!disk.mounted())
            GTEST_SKIP() << disk.skipReason().toStdString();
        for (auto it = row.before.cbegin(); it != row.before.cend(); ++it)
            writeBytes(disk.filePath(it.key()), it.value());
        ASSERT_TRUE(disk.fill(row.leave)) << row.name;
        EXPECT_FALSE(row.write(DataFolder(disk.path()))) << row.name;
        for (auto it = row.before.cbegin(); it != row.before.cend(); ++it)
            EXPECT_EQ(readBytes(disk.filePath(it.key())), it.value()) << row.name << ": " << it.key().toStdString();
        EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files).size(), row.before.size() + 1) << row.name << ": leftovers";
    }
}
