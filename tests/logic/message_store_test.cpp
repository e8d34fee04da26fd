#include "messages/message_store.h"

#include <gtest/gtest.h>

#include <QList>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
struct Folder {
    QTemporaryDir dir;
    DataFolder folder { dir.path() };
    QByteArray read() const
    {
        QFile f(dir.filePath("messages.txt"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    void write(const QByteArray &b) const
    {
        QFile f(dir.filePath("messages.txt"));
        f.open(QIODevice::WriteOnly);
        f.write(b);
    }
};
} // namespace

TEST(MessageStore, SaveAppendsOneRecordAndDropsEmptyLines)
{
    Folder f;
    f.write("\r\n");
    MessageStore store(f.folder);
    QString error;
    ASSERT_TRUE(store.save("one\r\ntwo", "Hi", &error));
    EXPECT_EQ(f.read(), QByteArray("one[br]two|Hi\r\n"));
    ASSERT_TRUE(store.save("three", "Yo", &error));
    EXPECT_EQ(f.read(), QByteArray("one[br]two|Hi\r\nthree|Yo\r\n"));
    f.write("a|b\r\n \r\n\r\nc|d\r\n");
    ASSERT_TRUE(store.save("e", "f", &error));
    EXPECT_EQ(f.read(), QByteArray("a|b\r\nc|d\r\ne|f\r\n"));
}

TEST(MessageStore, RecordsReadBack)
{
    struct Row {
        const char *name;
        QString line;
        QString body;
        QString subject;
        bool hasSubject;
    };
    const QList<Row> rows = {
        { "plain record", "one[br]two|Hi", "one\r\ntwo", "Hi", true },
        { "marker in any letter case", "a[BR]b[Br]c|s", "a\r\nb\r\nc", "s", true },
        { "empty line", "", "", "", false },
        { "body with a bar keeps it", "x|y|subject", "x|y", "subject", true },
        { "only line breaks", "[br][br]|s", "\r\n\r\n", "s", true },
        { "no subject", "just a body", "just a body", "", false },
        { "empty body", "|subject", "", "subject", true },
    };
    for (const Row &r : rows) {
        const SavedMessage m = MessageStore::parseRecord(r.line);
        EXPECT_EQ(m.body, r.body) << r.name;
        EXPECT_EQ(m.subject, r.subject) << r.name;
        EXPECT_EQ(m.hasSubject, r.hasSubject) << r.name;
    }
}

TEST(MessageStore, BodyWithBarSurvivesSaveAndLoad)
{
    Folder f;
    MessageStore store(f.folder);
    QString error;
    ASSERT_TRUE(store.save("price|quality\r\nboth", "Deal", &error));
    const LineFile lines = store.lines();
    ASSERT_TRUE(lines.ok);
    const SavedMessage m = MessageStore::parseRecord(lines.lines.first());
    EXPECT_EQ(m.body, "price|quality\r\nboth");
    EXPECT_EQ(m.subject, "Deal");
}

TEST(MessageStore, LoneLineBreaksDoNotSplitARecord)
{
    Folder f;
    MessageStore store(f.folder);
    QString error;
    ASSERT_TRUE(store.save("a\nb\rc", "s", &error));
    EXPECT_EQ(f.read(), QByteArray("a[br]b[br]c|s\r\n"));
}

TEST(MessageStore, SeparatorsAndLineBreaksSurviveARoundTrip)
{
    struct Row {
        const char *name;
        QString body;
        QString subject;
        QString bodyBack;
        QString subjectBack;
    };
    const QList<Row> rows = {
        { "bar in the subject", "text", "Sale | today only", "text", "Sale | today only" },
        { "bars in body and subject", "a|b\r\nc", "x||y|", "a|b\r\nc", "x||y|" },
        { "subject of bars only", "b", "|", "b", "|" },
        { "escape letters typed in the subject", "b", "[bar] and [bar[ and [bar", "b", "[bar] and [bar[ and [bar" },
        { "escape letters next to a bar", "b", "[bar|[bar]|", "b", "[bar|[bar]|" },
        { "line break pasted into the subject", "b", "one\r\ntwo", "b", "one two" },
        { "lone line breaks in the subject", "b", "one\ntwo\rthree", "b", "one two three" },
        { "line break and bar in the subject", "b", "a|\r\n|b", "b", "a| |b" },
        { "lone line breaks in the body", "x\ny\rz", "s", "x\r\ny\r\nz", "s" },
    };
    for (const Row &r : rows) {
        Folder f;
        f.write("old|record\r\n");
        MessageStore store(f.folder);
        QString error;
        ASSERT_TRUE(store.save(r.body, r.subject, &error)) << r.name;
        const LineFile lines = store.lines();
        ASSERT_TRUE(lines.ok) << r.name;
        // One old record, the new one and nothing else: no phantom record.
        ASSERT_EQ(lines.lines.size(), 2) << r.name;
        const SavedMessage m = MessageStore::parseRecord(lines.lines[1]);
        EXPECT_EQ(m.body, r.bodyBack) << r.name;
        EXPECT_EQ(m.subject, r.subjectBack) << r.name;
        EXPECT_EQ(MessageStore::parseRecord(lines.lines[0]).subject, "record") << r.name;
    }
}

TEST(MessageStore, SubjectWithBarIsWrittenEscaped)
{
    Folder f;
    MessageStore store(f.folder);
    QString error;
    ASSERT_TRUE(store.save("body", "a|b", &error));
    EXPECT_EQ(f.read(), QByteArray("body|a[bar]b\r\n"));
}

TEST(MessageStore, RecordsSavedBeforeReadAsTheyAlwaysDid)
{
    // Subjects as earlier versions wrote them: raw, whatever they hold short
    // of the escapes themselves.
    struct Row {
        const char *name;
        QString line;
        QString body;
        QString subject;
    };
    const QList<Row> rows = {
        { "bracket words", "b|[b]Sale[/b] [br] [url]", "b", "[b]Sale[/b] [br] [url]" },
        { "lead-in not followed by an escape", "b|[bar [barx [bar", "b", "[bar [barx [bar" },
        { "escape in another letter case", "b|[BAR] [Bar[", "b", "[BAR] [Bar[" },
        { "entities and backslashes", "b|&#124; \\ %7C", "b", "&#124; \\ %7C" },
        { "bar in the body before an escape-like subject", "x|[ba|r]", "x|[ba", "r]" },
        { "lone LF kept in the subject", "b|one\ntwo", "b", "one\ntwo" },
    };
    for (const Row &r : rows) {
        const SavedMessage m = MessageStore::parseRecord(r.line);
        EXPECT_EQ(m.body, r.body) << r.name;
        EXPECT_EQ(m.subject, r.subject) << r.name;
    }
}

TEST(MessageStore, DeleteRemovesEveryCopyAndLeavesOneEmptyLine)
{
    Folder f;
    f.write("a|1\r\nb|2\r\na|1\r\nc|3\r\na|1\r\n");
    MessageStore store(f.folder);
    QString error;
    ASSERT_TRUE(store.remove("a|1", &error));
    EXPECT_EQ(f.read(), QByteArray("b|2\r\nc|3\r\n\r\n"));
    ASSERT_TRUE(store.save("d", "4", &error));
    EXPECT_EQ(f.read(), QByteArray("b|2\r\nc|3\r\nd|4\r\n"));
}

TEST(MessageStore, UnreadableFileGivesAReasonAndWritesNothing)
{
    Folder f;
    // A folder in the file's place cannot be read as a file by anyone.
    QDir(f.dir.path()).mkdir("messages.txt");
    MessageStore store(f.folder);
    QString error;
    EXPECT_FALSE(store.save("x", "y", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(f.dir.filePath("messages.txt")).isDir());
}
