#include "browser/browser_helpers.h"
#include "net/page_fetch.h"
#include "support/list_items.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace {

// A posting page as forums build them: a search form in the header, hidden
// inputs, a subject, a select of icons, the message area and a submit button.
// Its own script keeps what the message area holds.
const QByteArray kPostingPage = R"(<html><head><title>Post a reply</title></head><body>
<div id=header><FORM action="/search" method=get><input type="text" name="q"><input type="submit" value="Search"></FORM></div>
<h1>Reply to topic</h1>
<form name="post" action="/submit" method="post">
<input type="hidden" name="topic" value="42">
<input type="hidden" name="sid" value="abc">
Subject: <input type="text" name="subject" id="subject">
<select name="icon"><option value=1>smile</option><option value=2>wink</option></select>
User: <input type="text" name="user" id="user"> Password: <input type="password" name="pw" id="pw">
<textarea name="message" id="message" rows=10 cols=60></textarea>
<input type="submit" name="go" value="Post">
</form>
<script>
document.getElementById('message').addEventListener('input', function(e) { window.seenByPage = e.target.value; });
</script>
</body></html>)";

// The posting page and the pages a forum shows after it.
struct ForumApp : BrowserApp<> {
    ForumApp()
    {
        server.route("/post", htmlPage(kPostingPage));
        server.route("/thanks", htmlPage("<html><body>Thank you for posting</body></html>"));
        server.route(
            "/thread", htmlPage("<html><body><div>Great offer at my site&#33;<br>see you</div></body></html>"));
        server.route("/popup", htmlPage("<html><body>pop-up</body></html>"));
    }
    QStringList posts() const { return items(t.find<QListView>("lstPosts")); }
};

} // namespace

TEST(AutoInsert, WritesTheConvertedMessageIntoTheRightField)
{
    ForumApp app;
    ASSERT_TRUE(app.load("/post"));
    bool written = false;
    const QString message = "Great offer at my site!\r\nhttp://my.site.example/offer";
    ASSERT_TRUE(app.autoInsert(message, "ubb", &written));
    EXPECT_TRUE(written);
    const QString expected
        = "Great offer at my site!\n[url=http://my.site.example/offer]http://my.site.example/offer[/url]\n\n";
    // A text area keeps LF line ends whatever it is given.
    EXPECT_EQ(app.value("message"), expected);
    EXPECT_EQ(app.eval("window.seenByPage").toString(), expected) << "the page's script sees it";
    EXPECT_EQ(app.value("subject"), "") << "only the message is inserted";
    EXPECT_EQ(app.controller().watchCountdown(), 4);
    EXPECT_TRUE(app.t.readFile("htmltemp.txt").contains("\r\n<textarea"));
    EXPECT_TRUE(app.t.dialogs.boxes.isEmpty());

    // htmltemp.txt cannot be saved: the status bar says so.
    ASSERT_TRUE(QFile::remove(app.t.path("htmltemp.txt")) && QDir().mkdir(app.t.path("htmltemp.txt")));
    ASSERT_TRUE(app.autoInsert(message, "ubb", &written));
    EXPECT_TRUE(app.w->statusText(1).startsWith("htmltemp.txt could not be saved: "))
        << app.w->statusText(1).toStdString();
}

TEST(AutoInsert, TheNextFourLoadsAreSearchedForTheMessage)
{
    ForumApp app;
    QSignalSpy sized(&app.w->sizeChannel(), &PageFetch::finished);
    ASSERT_TRUE(app.load("/post"));
    bool written = false;
    ASSERT_TRUE(app.autoInsert("Great offer at my site!\r\nsecond line", "text", &written));
    QSignalSpy checked(&app.controller(), &AutoInsertController::autoWatchChecked);
    ASSERT_TRUE(app.load("/thanks"));
    ASSERT_TRUE(checked.wait(5000) || checked.size() > 0);
    EXPECT_TRUE(app.posts().isEmpty());
    ASSERT_TRUE(app.load("/thread"));
    ASSERT_TRUE(waitFor([&] { return app.posts().size() == 1; }));
    EXPECT_EQ(app.posts().at(0), app.url("/thread"));
    EXPECT_EQ(app.controller().watchCountdown(), 0);
    ASSERT_TRUE(sized.wait(5000) || sized.size() > 0);
    EXPECT_GT(items(app.t.find<QListView>("lstSizes")).at(0).toInt(), 40);
}

TEST(AutoInsert, NoPopupsRefusesAndAllows)
{
    ForumApp app;
    ASSERT_TRUE(app.load("/thanks"));
    auto *noPopups = app.t.find<QCheckBox>("Check1");
    ASSERT_TRUE(noPopups->isChecked());
    app.eval("window.open('/popup'); true");
    QTest::qWait(300);
    EXPECT_TRUE(app.browser->popups().isEmpty());
    noPopups->click();
    app.eval("window.open('/popup'); true");
    ASSERT_TRUE(waitFor([&] { return !app.browser->popups().isEmpty(); }));
}

TEST(Paste, TypesIntoTheFocusedFieldLiterally)
{
    ForumApp app;
    ASSERT_TRUE(app.load("/post"));
    const QString subject = "Deals +50% ^today^ ~ (really) [now] {yes}";
    app.w->messageEditor().setSubjectText(subject);
    app.t.click("cmdAdd2"); // the page's own site, with its password
    app.t.find<QLineEdit>("txtPassword")->setText("p+a^s%s~(1)");
    app.w->messageEditor().setMessageText("Line one & more\r\nline two <b>");
    app.w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app.w));
    // The user's click in a field: the page gets the focus, then the field.
    auto focus = [&](const char *id) {
        app.browser->setFocus();
        ASSERT_TRUE(waitFor([&] {
            return app
                .eval(QStringLiteral("document.getElementById('%1').focus(); document.hasFocus() && "
                                     "document.activeElement.id == '%1'")
                          .arg(QLatin1String(id)))
                .toBool();
        }));
    };
    focus("subject");
    // A real click: the button takes the keyboard focus, and Paste gives it
    // back to the page before typing.
    auto *pasteSubject = app.t.find<QPushButton>("cmdPaste_0");
    QTest::mouseClick(pasteSubject, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return app.value("subject") == subject; })) << app.value("subject").toStdString();
    focus("pw");
    app.t.click("cmdPaste_2");
    ASSERT_TRUE(waitFor([&] { return app.value("pw") == "p+a^s%s~(1)"; })) << app.value("pw").toStdString();
    focus("message");
    app.t.click("cmdPaste_3");
    ASSERT_TRUE(waitFor([&] { return app.value("message") == "Line one & more\nline two <b>\n\n"; }))
        << app.value("message").toStdString();
}
