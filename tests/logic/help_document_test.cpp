#include "ui/help_document.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {
QString writeRtf(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath("Help.rtf");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << qPrintable(path);
    return path;
}

// An RTF file of exactly the given size.
QByteArray rtfOfSize(qsizetype size)
{
    QByteArray rtf = "{\\rtf1 ";
    rtf += QByteArray(size - rtf.size() - 1, 'x');
    rtf += "}";
    return rtf;
}
} // namespace

TEST(HelpDocument, ReadsAndConverts)
{
    QTemporaryDir dir;
    const HelpDocument doc = readHelpDocument(writeRtf(dir, "{\\rtf1 {\\b Welcome} to the help}"));
    ASSERT_TRUE(doc.ok) << qPrintable(doc.error);
    EXPECT_TRUE(doc.html.contains("Welcome")) << qPrintable(doc.html);
    EXPECT_TRUE(doc.html.contains("to the help")) << qPrintable(doc.html);
    EXPECT_TRUE(doc.error.isEmpty());
}

TEST(HelpDocument, AFileOfTheLimitIsShown)
{
    QTemporaryDir dir;
    const HelpDocument doc = readHelpDocument(writeRtf(dir, rtfOfSize(kMaxHelpFileBytes)));
    EXPECT_TRUE(doc.ok) << qPrintable(doc.error);
}

TEST(HelpDocument, ALargerFileIsRefusedNamingFileAndLimit)
{
    QTemporaryDir dir;
    const QString path = writeRtf(dir, rtfOfSize(kMaxHelpFileBytes + 1));
    const HelpDocument doc = readHelpDocument(path);
    EXPECT_FALSE(doc.ok);
    EXPECT_TRUE(doc.html.isEmpty());
    EXPECT_TRUE(doc.error.contains(path)) << qPrintable(doc.error);
    EXPECT_TRUE(doc.error.contains("4 MB")) << qPrintable(doc.error);
}

TEST(HelpDocument, AMissingFileGivesAReason)
{
    QTemporaryDir dir;
    const HelpDocument doc = readHelpDocument(dir.filePath("Help.rtf"));
    EXPECT_FALSE(doc.ok);
    EXPECT_TRUE(doc.error.contains("Help.rtf")) << qPrintable(doc.error);
}
