#include "support/files.h"
#include "ui/rtf_reader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>

using namespace RtfReader;

TEST(RtfReader, PlainTextOfWellFormedAndDamagedFiles)
{
    struct Row {
        const char *name;
        QByteArray rtf;
        QString text;
    };
    const QList<Row> rows = {
        { "plain text", "{\\rtf1 Hello}", "Hello" },
        { "paragraphs", "{\\rtf1 one\\par two}", "one\ntwo" },
        { "line break", "{\\rtf1 one\\line two}", "one\ntwo" },
        { "tab", "{\\rtf1 a\\tab b}", "a\tb" },
        { "hex escape in Windows-1252", "{\\rtf1 caf\\'e9 \\'80}", QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac") },
        { "unicode with fallback skipped", "{\\rtf1\\uc1 x\\u8364?y}", QString::fromUtf8("x\xe2\x82\xacy") },
        { "negative unicode", "{\\rtf1 \\u-3913?}", QString(QChar(0xF0B7)) },
        { "unicode with two fallback characters", "{\\rtf1\\uc2 \\u233\\'65\\'65z}", QString::fromUtf8("\xc3\xa9z") },
        { "escaped braces and backslash", "{\\rtf1 \\{a\\}\\\\}", "{a}\\" },
        { "font table skipped", "{\\rtf1{\\fonttbl{\\f0 Arial;}}text}", "text" },
        { "style sheet skipped", "{\\rtf1{\\stylesheet{\\s1 Heading;}}x}", "x" },
        { "picture skipped", "{\\rtf1 a{\\pict\\pngblip 89504e47}b}", "ab" },
        { "optional destination skipped", "{\\rtf1 a{\\*\\generator Word;}b}", "ab" },
        { "group state restored", "{\\rtf1 {\\b bold} plain}", "bold plain" },
        { "control word delimiter space eaten", "{\\rtf1\\b text}", "text" },
        { "line ends in the source are not text", "{\\rtf1 a\r\nb}", "ab" },
        // Damaged input shows what can be read.
        { "unbalanced open", "{\\rtf1 {\\b abc", "abc" },
        { "unbalanced close", "{\\rtf1 a}}}}b", "ab" },
        { "huge number", "{\\rtf1\\fs99999999999999999999 x}", "x" },
        { "huge unicode", "{\\rtf1\\u99999999999?y}", "y" },
        { "truncated hex escape", "{\\rtf1 a\\'", "a" },
        { "truncated hex escape one digit", "{\\rtf1 a\\'4", "a\x04" },
        { "trailing backslash", "{\\rtf1 a\\", "a" },
        { "binary data", QByteArray("{\\rtf1 a\x01\x02\xff b}", 14),
            QString("a") + QChar(0x01) + QChar(0x02) + QChar(0xff) + " b" },
        { "empty", "", "" },
        { "not rtf", "just text", "just text" },
        { "groups nested a hundred thousand deep", QByteArray(100000, '{') + "deep", "deep" },
    };
    for (const Row &r : rows)
        EXPECT_EQ(toPlainText(r.rtf), r.text) << r.name;
}

TEST(RtfReader, HtmlShowsTheFormattingWithFewElements)
{
    // Body text needs no element of its own: paragraphs are line feeds in
    // pre-wrapped text, and runs that look the same are one element.
    struct Row {
        const char *name;
        QByteArray rtf;
        QStringList parts;
        int spans; // -1: any number
    };
    const QByteArray red = "{\\colortbl;\\red255\\green0\\blue0;}";
    const QList<Row> rows = {
        { "formatting", "{\\rtf1" + red + "{\\b B}{\\i I}{\\ul U}{\\fs40 Big}{\\cf1 Red}<&>}",
            { "font-weight:bold;\">B<", "font-style:italic;\">I<", "text-decoration:underline;\">U<",
                "font-size:20pt;\">Big<", "color:#ff0000;\">Red<", "&lt;&amp;&gt;" },
            -1 },
        { "paragraphs are line feeds", "{\\rtf1 one\\par two}", { "one\ntwo" }, 0 },
        { "empty paragraphs stay", "{\\rtf1 a\\par\\par b}", { "a\n\nb" }, 0 },
        { "line break", "{\\rtf1 one\\line two}", { QString("one") + QChar(QChar::LineSeparator) + "two" }, 0 },
        { "spaces and tabs kept as they are", "{\\rtf1 a  b\\tab c}", { "a  b\tc" }, 0 },
        { "markup characters escaped", "{\\rtf1 <&>}", { "&lt;&amp;&gt;" }, 0 },
        { "control characters dropped", "{\\rtf1 a\\'01\\'0ab}", { "ab" }, 0 },
        { "adjacent groups", "{\\rtf1 x{\\b a}{\\b b}x}", { "<span style=\"font-weight:bold;\">ab</span>" }, 1 },
        { "state changes that change nothing", "{\\rtf1 x{\\b a}{\\b\\i0\\ul0\\fs24 b}\\b c\\plain x}",
            { "<span style=\"font-weight:bold;\">abc</span>" }, 1 },
        { "colour indexes past the table", "{\\rtf1" + red + "{\\b\\cf5 a}{\\b\\cf6 b}x}",
            { "<span style=\"font-weight:bold;\">ab</span>" }, 1 },
        { "colour indexes of the same colour",
            "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red255\\green0\\blue0;}{\\cf1 a}{\\cf2 b}xxx}",
            { "<span style=\"color:#ff0000;\">ab</span>" }, 1 },
        { "the most used size and colour are the body's",
            "{\\rtf1{\\colortbl;\\red11\\green36\\blue71;}\\cf1\\fs20 Most of the text{\\b\\fs32 Title}{\\cf0 auto}}",
            { "font-size:10pt;", "color:#0b2447;", ">Most of the text<",
                "<span style=\"font-weight:bold;font-size:16pt;\">Title</span>",
                "<span style=\"color:#000000;\">auto</span>" },
            2 },
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const QString html = toHtml(r.rtf);
        for (const QString &part : r.parts)
            EXPECT_TRUE(html.contains(part)) << part.toStdString() << " in\n" << html.toStdString();
        EXPECT_FALSE(html.contains("<p"));
        if (r.spans >= 0)
            EXPECT_EQ(html.count("<span"), r.spans) << html.toStdString();
    }
}

TEST(RtfReader, ManySmallRunsGiveHtmlOfAboutTheFilesSize)
{
    // Two megabytes of tiny runs and paragraphs: the HTML stays a small
    // multiple of the file, with far fewer elements than runs, and no text
    // is lost.
    const QList<QByteArray> pieces
        = { "{\\b a}", "{\\i b}", "{\\ul c}", "{\\cf1 d}", "{\\fs20 e}", "\\par ", " ", "{\\b\\i\\cf2 f}" };
    QByteArray rtf = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    QString text;
    const QString letters = "abcde\n f";
    for (int i = 0; rtf.size() < 2 * 1024 * 1024; ++i) {
        rtf += pieces[i % pieces.size()];
        text += letters[i % pieces.size()];
    }
    rtf += "end}";
    text += "end";
    const QString html = toHtml(rtf);
    EXPECT_LE(html.size(), 2 * rtf.size());
    EXPECT_LE(html.count("<span"), rtf.size() / 16);
    EXPECT_TRUE(html.endsWith("end</body></html>"));
    EXPECT_EQ(toPlainText(rtf), text);
}

TEST(RtfReader, HostileInputNeverBreaksTheReader)
{
    // Inputs the fuzzer found, hand-made hostile ones, and random bytes: each
    // must read without crashing or hanging.
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/rtf-regressions"));
    const QStringList files = dir.entryList(QDir::Files);
    EXPECT_FALSE(files.isEmpty());
    QList<QByteArray> inputs;
    for (const QString &name : files)
        inputs.append(readBytes(dir.filePath(name)));
    QRandomGenerator rng(99);
    const QByteArray alphabet = "{}\\'*uUcbiparlinetfs0123456789-; abcdef\r\n";
    for (int round = 0; round < 2000; ++round) {
        QByteArray data;
        const int n = rng.bounded(0, 200);
        for (int i = 0; i < n; ++i)
            data += rng.bounded(4) == 0 ? char(rng.bounded(256)) : alphabet[rng.bounded(alphabet.size())];
        inputs.append(data);
    }
    for (const QByteArray &data : std::as_const(inputs)) {
        toHtml(data);
        toPlainText(data);
    }
}

TEST(RtfReader, HelpFileReadsAsAGuide)
{
    const QByteArray rtf = readBytes(QStringLiteral(SOURCE_DIR "/resources/Help.rtf"));
    const QString text = toPlainText(rtf);
    for (const char *topic : { "Auto-Insert", "Paste", "Copy", "Preview", "Save", "Load", "Custom Message Templates",
             "Add Current URL", "Watch This Post", "Check for new replies", "No Popups", "Show at Startup" })
        EXPECT_TRUE(text.contains(QLatin1String(topic))) << topic;
    EXPECT_FALSE(text.contains("Verdana")) << "the font table is not shown";
    EXPECT_FALSE(text.contains("\\")) << "no control word leaks into the text";
    EXPECT_TRUE(toHtml(rtf).contains("font-weight:bold"));
}
