#include "messages/message_store.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
struct Folder {
    QTemporaryDir dir;
    DataFolder folder { dir.path() };
    MessageStore store { folder };
    QString file() const { return dir.filePath("messages.txt"); }
};
} // namespace

TEST(MessageStore, SaveAndDeleteWriteTheFileLineByLine)
{
    struct Row {
        const char *name;
        const char *before; // none: no file yet
        const char *removed; // none: the message below is saved
        QString body;
        QString subject;
        QByteArray after;
    };
    const QList<Row> rows = {
        { "the first save into the new file", "\r\n", nullptr, "one\r\ntwo", "Hi", "one[br]two|Hi\r\n" },
        { "a save appends one record", "one[br]two|Hi\r\n", nullptr, "three", "Yo", "one[br]two|Hi\r\nthree|Yo\r\n" },
        { "empty lines are dropped", "a|b\r\n \r\n\r\nc|d\r\n", nullptr, "e", "f", "a|b\r\nc|d\r\ne|f\r\n" },
        { "lone line breaks do not split a record", nullptr, nullptr, "a\nb\rc", "s", "a[br]b[br]c|s\r\n" },
        { "a bar in the subject is written escaped", nullptr, nullptr, "body", "a|b", "body|a[bar]b\r\n" },
        { "a delete removes every copy and leaves one empty line", "a|1\r\nb|2\r\na|1\r\nc|3\r\na|1\r\n", "a|1", {}, {},
            "b|2\r\nc|3\r\n\r\n" },
        { "the next save drops that line", "b|2\r\nc|3\r\n\r\n", nullptr, "d", "4", "b|2\r\nc|3\r\nd|4\r\n" },
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        Folder f;
        if (r.before)
            writeBytes(f.file(), r.before);
        QString error;
        ASSERT_TRUE(r.removed ? f.store.remove(r.removed, &error) : f.store.save(r.body, r.subject, &error))
            << error.toStdString();
        EXPECT_EQ(readBytes(f.file()), r.after);
    }
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
        // Subjects as earlier versions wrote them: raw, whatever they hold
        // short of the escapes themselves.
        { "bracket words", "b|[b]Sale[/b] [br] [url]", "b", "[b]Sale[/b] [br] [url]", true },
        { "lead-in not followed by an escape", "b|[bar [barx [bar", "b", "[bar [barx [bar", true },
        { "escape in another letter case", "b|[BAR] [Bar[", "b", "[BAR] [Bar[", true },
        { "entities and backslashes", "b|&#124; \\ %7C", "b", "&#124; \\ %7C", true },
        { "bar in the body before an escape-like subject", "x|[ba|r]", "x|[ba", "r]", true },
        { "lone LF kept in the subject", "b|one\ntwo", "b", "one\ntwo", true },
    };
    for (const Row &r : rows) {
        const SavedMessage m = MessageStore::parseRecord(r.line);
        EXPECT_EQ(m.body, r.body) << r.name;
        EXPECT_EQ(m.subject, r.subject) << r.name;
        EXPECT_EQ(m.hasSubject, r.hasSubject) << r.name;
    }
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
        { "bar in the body", "price|quality\r\nboth", "Deal", "price|quality\r\nboth", "Deal" },
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
        SCOPED_TRACE(r.name);
        Folder f;
        writeBytes(f.file(), "old|record\r\n");
        QString error;
        ASSERT_TRUE(f.store.save(r.body, r.subject, &error));
        const LineFile lines = f.store.lines();
        ASSERT_TRUE(lines.ok);
        // One old record, the new one and nothing else: no phantom record.
        ASSERT_EQ(lines.lines.size(), 2);
        const SavedMessage m = MessageStore::parseRecord(lines.lines[1]);
        EXPECT_EQ(m.body, r.bodyBack);
        EXPECT_EQ(m.subject, r.subjectBack);
        EXPECT_EQ(MessageStore::parseRecord(lines.lines[0]).subject, "record");
    }
}

TEST(MessageStore, UnreadableFileGivesAReasonAndWritesNothing)
{
    Folder f;
    // A folder in the file's place cannot be read as a file by anyone.
    QDir(f.dir.path()).mkdir("messages.txt");
    QString error;
    EXPECT_FALSE(f.store.save("x", "y", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(f.file()).isDir());
}
