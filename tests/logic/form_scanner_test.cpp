#include "browser/form_scanner.h"

#include <gtest/gtest.h>

#include <QList>

using namespace FormScanner;

namespace {
Result scan(const QString &html)
{
    // The inner HTML of a body is its outer HTML without the body tag.
    return scanPage("<body>" + html + "</body>", html);
}
} // namespace

TEST(FormScanner, PostingFormAndField)
{
    struct Row {
        const char *name;
        QString html;
        int form;
        int field;
    };
    const QList<Row> rows = {
        { "search form before the posting form",
            "<form action=search><input type=text name=q><input type=submit></form>"
            "<form action=post method=post><input type=hidden name=t value=1><input type=text name=subject>"
            "<select name=icon><option>1</option></select><textarea name=message></textarea>"
            "<input type=submit value=Post></form>",
            1, 2 },
        { "upper-case tags", "<FORM ACTION=x><INPUT TYPE=text NAME=a><TEXTAREA NAME=b></TEXTAREA></FORM>", 0, 1 },
        { "text area first", "<form><textarea></textarea><input type=submit></form>", 0, 0 },
        { "several text areas: the first counts",
            "<form><input name=a><textarea name=one></textarea><textarea name=two></textarea></form>", 0, 1 },
        { "no form", "<p>nothing here</p>", -1, -1 },
        { "form without a text area", "<form><input name=a><input type=submit></form>", -1, -1 },
        { "textarea named in an attribute counts as the field",
            "<form><input name=a><input name=textarea_copy><textarea name=b></textarea></form>", 0, 1 },
        { "textarea word in a script inside the form",
            "<form><input name=a><script>var x='textarea';</script><input name=b><textarea></textarea></form>", 0, 0 },
        { "second posting form is ignored",
            "<form><textarea name=a></textarea></form><form><textarea name=b></textarea></form>", 0, 0 },
    };
    for (const Row &r : rows) {
        const Result res = scan(r.html);
        EXPECT_EQ(res.formIndex, r.form) << r.name;
        EXPECT_EQ(res.fieldIndex, r.field) << r.name;
    }
}

TEST(FormScanner, LinesAreBrokenAtTheTags)
{
    const QString broken = breakAtTags("<FORM a><input b><Input c></form>", Pass::OuterHtml);
    EXPECT_EQ(broken, "\r\n<form\r\n a>\r\n<input b>\r\n<input c>\r\n</form>\r\n>");
    const QString inner = breakAtTags("<form a><input b></form>", Pass::InnerHtml);
    EXPECT_EQ(inner, "\r\n<form\r\n a>\r\n<inputb>\r\n</form>\r\n");
}

TEST(FormScanner, SavedTextHoldsTheLastPass)
{
    const Result found
        = scanPage("<body><form><textarea></textarea></form></body>", "<form><textarea></textarea></form>");
    EXPECT_TRUE(found.savedText.contains("<body>"));
    EXPECT_TRUE(found.savedText.endsWith("\r\n"));
    const Result missing = scanPage("<body><form><input x></form></body>", "<form><input x></form>");
    EXPECT_EQ(missing.formIndex, -1);
    EXPECT_FALSE(missing.savedText.contains("<body>")) << "the inner-HTML pass is what stays";
    EXPECT_TRUE(missing.savedText.contains("<inputx>"));
}

TEST(FormScanner, ALoneLfStaysInsideALine)
{
    // "<form" and "textarea" on one line because only LF separates them.
    EXPECT_EQ(findPostingForm("<form\ntextarea\r\n"), -1);
    EXPECT_EQ(findPostingForm("<form\r\ntextarea\r\n"), 0);
}

TEST(WatchKey, FirstLineOfTheInsertedMessage)
{
    EXPECT_EQ(watchKey("Hello there\r\nsecond"), "Hello there");
    EXPECT_EQ(watchKey("one\rtwo"), "one");
    EXPECT_EQ(watchKey("one\ntwo"), "one");
    EXPECT_EQ(watchKey("see <a href='x'>"), "see ");
    EXPECT_EQ(watchKey("no delimiter at all"), "no delimiter at all");
    // A CR LF at the very start does not cut; the LF alone at the second place does.
    EXPECT_EQ(watchKey("\r\nstarts with a break"), "\r");
    EXPECT_EQ(watchKey("<b>x\r\ny"), "<b>x");
    EXPECT_EQ(watchKey(""), "");
    EXPECT_TRUE(pageShowsKey("", "", ""));
    EXPECT_TRUE(pageShowsKey("HELLO", "<p>hello</p>", ""));
    EXPECT_FALSE(pageShowsKey("bye", "<p>hello</p>", "hello"));
}
