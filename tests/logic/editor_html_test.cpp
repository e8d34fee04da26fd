#include "browser/message_writer.h"

#include <gtest/gtest.h>

#include <QList>

TEST(EditorHtml, LinesBecomeParagraphsAndBreaks)
{
    struct Row {
        const char *name;
        QString message;
        bool asHtml;
        QString html;
    };
    const QList<Row> rows = {
        { "the two line breaks every outgoing message ends with are left out", "Hello\r\n\r\n", false, "<p>Hello</p>" },
        { "a line break inside a paragraph", "one\r\ntwo\r\n\r\n", false, "<p>one<br>two</p>" },
        { "a blank line starts a paragraph", "one\r\n\r\ntwo", false, "<p>one</p><p>two</p>" },
        { "two blank lines keep the second as a break", "one\r\n\r\n\r\ntwo", false, "<p>one</p><p><br>two</p>" },
        { "lone CR and LF are line breaks too", "one\rtwo\nthree", false, "<p>one<br>two<br>three</p>" },
        { "text is escaped", "a & b <i>c</i> > d \"q\"", false, "<p>a &amp; b &lt;i&gt;c&lt;/i&gt; &gt; d \"q\"</p>" },
        { "escaped entities stay literal text", "&amp;", false, "<p>&amp;amp;</p>" },
        { "html markup is kept", "<a href='http://x.example/'>x</a> & <b>y</b>\r\nz\r\n\r\n", true,
            "<p><a href='http://x.example/'>x</a> & <b>y</b><br>z</p>" },
        { "an empty message", "\r\n\r\n", false, "<p></p>" },
    };
    for (const Row &r : rows)
        EXPECT_EQ(MessageWriter::editorHtml(r.message, r.asHtml), r.html) << r.name;
}
