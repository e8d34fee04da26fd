#include "threads/page_text.h"

#include <gtest/gtest.h>

// The text a reader sees, whether the page arrives whole or a byte at a time.
TEST(PageText, TheTextAReaderSees)
{
    struct Row {
        const char *name;
        QByteArray html;
        QByteArray lines;
    };
    const QList<Row> rows = {
        { "scripts, styles, comments and the title are no text",
            "<title>T</title><script>var s = '</p><p>x';</script><style>p{}</style><!-- <p>old</p> -->"
            "<p>Hello</p><noscript>Turn on scripts</noscript>",
            "Hello\n" },
        { "tokens in hidden inputs and attributes are no text",
            "<form><input type=\"hidden\" name=\"csrf\" value=\"a1b2\"><button title='Quote &amp; reply'>Quote"
            "</button></form><img alt=\"online\" src=\"on.png\"><a href=\"/t?sid=9f\">bob</a>",
            "Quote\nbob\n" },
        { "blocks end lines, inline elements do not",
            "<div><b>bob</b> <i>wrote</i>:<br>Thanks<span>!</span></div><ul><li>one</li><li>two</li></ul>"
            "<table><tr><td>Posts:</td><td>12</td></tr></table>",
            "bob wrote:\nThanks!\none\ntwo\nPosts:\n12\n" },
        { "white space runs are one space, and empty lines none",
            "<p>  a \r\n\t b  </p>\n\n<div>   </div><p>c</p>", "a b\nc\n" },
        { "character references are decoded, unknown ones stay as written",
            "<p>a &amp; b &lt;3 &#233;&#xE9; x&nbsp;y &bogus; AT&T</p>",
            "a & b <3 \xc3\xa9\xc3\xa9 x y &bogus; AT&T\n" },
        { "a \"<\" that opens no tag is text", "<p>1 < 2 and 3 <= 4</p>", "1 < 2 and 3 <= 4\n" },
        { "quoted \">\" inside a tag does not end it", "<a title=\"a > b\" href='x>y'>link</a>", "link\n" },
    };
    for (const Row &r : rows) {
        PageText whole;
        whole.feed(r.html);
        EXPECT_EQ(whole.take(), r.lines) << r.name;
        PageText bytes;
        for (const char c : r.html)
            bytes.feed(&c, 1);
        EXPECT_EQ(bytes.take(), r.lines) << r.name << ", a byte at a time";
    }
}
