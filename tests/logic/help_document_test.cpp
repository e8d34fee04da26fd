#include "support/files.h"
#include "ui/help_document.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {
// An RTF file of exactly the given size.
QByteArray rtfOfSize(qsizetype size)
{
    const QByteArray start = "{\\rtf1 ";
    return start + QByteArray(size - start.size() - 1, 'x') + "}";
}
} // namespace

TEST(HelpDocument, ReadsTheFileUpToItsLimitAndSaysWhyNot)
{
    struct Row {
        const char *name;
        QByteArray rtf; // none: no file
        QStringList shown; // in the HTML; none: refused
        QStringList why; // in the reason given, besides the file's path
    };
    const QList<Row> rows = {
        { "a help file", "{\\rtf1 {\\b Welcome} to the help}", { "Welcome", "to the help" }, {} },
        { "a file of the limit", rtfOfSize(kMaxHelpFileBytes), { "xxx" }, {} },
        { "a larger file", rtfOfSize(kMaxHelpFileBytes + 1), {}, { "4 MB" } },
        { "no file", {}, {}, {} },
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("Help.rtf");
        if (!r.rtf.isNull())
            writeBytes(path, r.rtf);
        const HelpDocument doc = readHelpDocument(path);
        EXPECT_EQ(doc.ok, !r.shown.isEmpty()) << doc.error.toStdString();
        for (const QString &part : r.shown)
            EXPECT_TRUE(doc.html.contains(part)) << doc.html.toStdString();
        if (doc.ok) {
            EXPECT_TRUE(doc.error.isEmpty());
            continue;
        }
        EXPECT_TRUE(doc.html.isEmpty());
        for (const QString &part : r.why + QStringList { path })
            EXPECT_TRUE(doc.error.contains(part)) << doc.error.toStdString();
    }
}
