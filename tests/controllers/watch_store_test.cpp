#include "logins/forum_logins.h"
#include "logins/forum_store.h"
#include "support/files.h"
#include "support/recorders.h"
#include "watch/watch_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

namespace {

struct Folder {
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const { writeBytes(path(name), bytes); }
    QByteArray read(const QString &name) const { return readBytes(path(name)); }
    // A folder where a data file should be: it exists and cannot be read or replaced.
    void block(const QString &name) const
    {
        QFile::remove(path(name));
        QDir(dir.path()).mkdir(name);
    }
};

} // namespace

TEST(WatchStore, ListsRoundTripThroughTheirFiles)
{
    Folder folder;
    folder.write("posts.txt", "http://a/1\r\n\r\nhttp://a/2\r\n\r\n \r\nhttp://a/3\r\n\r\n");
    folder.write("sizes.txt", "10\r\n\r\n20\r\n\r\n30\r\n\r\n");
    folder.write("posts2.txt", "http://f/1\r\n\r\nhttp://f/2|bob|pw\r\n\r\nhttp://f/3|al|p|w|x\r\n\r\n");
    WatchStore store { DataFolder(folder.dir.path()) };
    ForumStore forums { DataFolder(folder.dir.path()) };
    EXPECT_TRUE(store.load().isEmpty());
    EXPECT_TRUE(forums.load().isEmpty());
    ASSERT_EQ(store.posts().count(), 3);
    EXPECT_EQ(store.posts().at(2).size, 30);
    ASSERT_EQ(forums.forums().count(), 3);
    EXPECT_EQ(forums.forums().at(0).userName, "");
    EXPECT_EQ(forums.forums().at(2).password, "p|w|x");
    EXPECT_TRUE(store.savePosts().isEmpty());
    FileProblem problem;
    EXPECT_TRUE(forums.saveForums(&problem));
    EXPECT_EQ(folder.read("posts.txt"), "http://a/1\r\n\r\nhttp://a/2\r\n\r\nhttp://a/3\r\n\r\n");
    EXPECT_EQ(folder.read("sizes.txt"), "10\r\n\r\n20\r\n\r\n30\r\n\r\n");
    EXPECT_EQ(folder.read("posts2.txt"), "http://f/1|\r\n\r\nhttp://f/2|bob|pw\r\n\r\nhttp://f/3|al|p|w|x\r\n\r\n");

    WatchStore empty { DataFolder(folder.dir.path()) };
    empty.savePosts();
    EXPECT_EQ(folder.read("posts.txt"), "") << "an empty list is written as zero bytes";
}

TEST(WatchStore, AnUnreadableFileIsReportedAndNeverWrittenOver)
{
    // Either file unreadable: both stay as they are, as the two run in step.
    const QMap<QString, QByteArray> before = { { "posts.txt", "http://a/1\r\n\r\n" }, { "sizes.txt", "5\r\n\r\n" } };
    for (const QString &blocked : before.keys()) {
        SCOPED_TRACE(blocked.toStdString());
        Folder folder;
        for (const QString &name : before.keys())
            folder.write(name, before[name]);
        folder.block(blocked);
        WatchStore store { DataFolder(folder.dir.path()) };
        const QList<FileProblem> problems = store.load();
        ASSERT_EQ(problems.size(), 1);
        EXPECT_EQ(problems[0].name, blocked);
        EXPECT_EQ(problems[0].path, folder.path(blocked));
        store.posts().add("http://a/2", "7");
        store.savePosts();
        EXPECT_TRUE(QFileInfo(folder.path(blocked)).isDir()) << "left as it was";
        for (const QString &name : before.keys())
            if (name != blocked)
                EXPECT_EQ(folder.read(name), before[name]);
    }
}

TEST(ForumLogins, EveryChangeIsSavedAndAFailureIsShown)
{
    Folder folder;
    ForumStore store { DataFolder(folder.dir.path()) };
    store.load();
    RecordingDialogs dialogs;
    ForumLogins logins(store, dialogs);
    EXPECT_EQ(logins.addForum("http://forum.one/"), 0);
    EXPECT_EQ(logins.addForum("http://forum.one/"), -1) << "a forum already listed is not added again";
    logins.setLogin(0, "bob", "p|ss");
    EXPECT_EQ(folder.read("posts2.txt"), "http://forum.one/|bob|p|ss\r\n\r\n");
    logins.setLogin(5, "nobody", "x");
    EXPECT_EQ(folder.read("posts2.txt"), "http://forum.one/|bob|p|ss\r\n\r\n") << "no such row: nothing stored";

    folder.block("posts2.txt");
    logins.setLogin(0, "al", "");
    logins.setLogin(0, "al", "x");
    logins.setLogin(0, "al", "xy");
    ASSERT_EQ(dialogs.boxes.size(), 1) << "one box, not one per keystroke";
    EXPECT_TRUE(dialogs.boxes[0].text.startsWith("There was an error saving your logins.\r\n\r\nError Number "))
        << dialogs.boxes[0].text.toStdString();
    EXPECT_EQ(dialogs.boxes[0].title, "Postmaven");
    EXPECT_EQ(store.forums().at(0).password, "xy") << "the list keeps its state";
    QDir(folder.dir.path()).rmdir("posts2.txt");
    logins.setLogin(0, "al", "xyz");
    EXPECT_EQ(folder.read("posts2.txt"), "http://forum.one/|al|xyz\r\n\r\n");
    folder.block("posts2.txt");
    logins.setLogin(0, "al", "w");
    EXPECT_EQ(dialogs.boxes.size(), 2) << "after a save that worked, the next failure is shown again";
    logins.removeForum(0);
    EXPECT_EQ(store.forums().count(), 0);
}

TEST(ForumLogins, AFileUnreadableAtStartIsReportedOnce)
{
    Folder folder;
    folder.block("posts2.txt");
    ForumStore store { DataFolder(folder.dir.path()) };
    store.load();
    RecordingDialogs dialogs;
    ForumLogins logins(store, dialogs);
    logins.addForum("http://f/");
    logins.setLogin(0, "a", "b");
    logins.setLogin(0, "a", "bc");
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_TRUE(dialogs.boxes[0].text.contains("could not be read at start-up"));
    EXPECT_TRUE(QFileInfo(folder.path("posts2.txt")).isDir());
}

TEST(WatchStore, KeptTextsGoWithTheirPosts)
{
    Folder folder;
    WatchStore store { DataFolder(folder.dir.path()) };
    store.load();
    store.posts().add("http://a/1");
    store.posts().add("http://a/2");
    const ThreadText text { { "http://a:80/1", "bob\nThanks, that worked!\n" } };
    EXPECT_TRUE(store.texts().keep("http://a/1", text));
    EXPECT_TRUE(store.texts().keep("http://a/2", text));
    EXPECT_EQ(QDir(folder.path("threads")).entryList(QDir::Files).size(), 2) << "a file a post, written at once";

    WatchStore restarted { DataFolder(folder.dir.path()) };
    restarted.load();
    const std::optional<ThreadText> read = restarted.texts().load("http://a/1");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->first().key, text.first().key);
    EXPECT_EQ(read->first().lines, text.first().lines);

    store.posts().removeAt(0);
    EXPECT_FALSE(restarted.texts().load("http://a/1")) << "Remove Watch takes the post's text with it";

    folder.write("threads/" + ThreadTextStore::fileNameFor("http://a/2"), "not a kept text");
    EXPECT_FALSE(store.texts().load("http://a/2")) << "a damaged file is no kept text: the next measure replaces it";

    // A post watched and then left by an exit that saved nothing leaves its text behind.
    folder.write(
        "threads/" + ThreadTextStore::fileNameFor("http://gone/"), ThreadTextStore::fileBytes("http://gone/", text));
    EXPECT_TRUE(store.savePosts().isEmpty());
    EXPECT_EQ(QDir(folder.path("threads")).entryList(QDir::Files),
        QStringList({ ThreadTextStore::fileNameFor("http://a/2") }));

    // A text that cannot be written waits, and is written with the lists.
    QDir(folder.path("threads")).removeRecursively();
    folder.write("threads", "a file where the folder should be");
    EXPECT_FALSE(store.texts().keep("http://a/2", text));
    const QList<FileProblem> problems = store.savePosts();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems[0].path, folder.path("threads/" + ThreadTextStore::fileNameFor("http://a/2")));
    QFile::remove(folder.path("threads"));
    EXPECT_TRUE(store.savePosts().isEmpty());
    EXPECT_TRUE(restarted.texts().load("http://a/2"));
}
