#include "browser/auto_insert_controller.h"
#include "support/fake_browser.h"
#include "support/files.h"
#include "support/recorders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

QVariantMap page(const QString &outer, const QString &inner)
{
    return QVariantMap { { "outer", outer }, { "inner", inner } };
}

const QVariantMap kFormPage
    = page("<body><form><textarea></textarea></form></body>", "<form><textarea></textarea></form>");

struct Fixture {
    QTemporaryDir dir;
    FakeBrowser browser;
    RecordingDialogs dialogs;
    QString message = QStringLiteral("Hello forum\r\nsecond line\r\n\r\n");
    bool asHtml = false;
    AutoInsertController controller { browser, DataFolder(dir.path()), dialogs, [this] {
                                         return AutoInsertController::Outgoing { message, asHtml };
                                     } };
    QStringList watched;

    Fixture()
    {
        QObject::connect(
            &controller, &AutoInsertController::messageShown, [this](const QString &url) { watched.append(url); });
    }
    QByteArray htmlTemp() const { return readBytes(dir.filePath("htmltemp.txt")); }
    void load(const QString &url, const QVariantMap &body)
    {
        browser.location = url;
        browser.body = body;
        controller.checkLoadedPage(url);
    }
};

} // namespace

TEST(AutoInsertController, WhatThePageOffersDecidesTheAnswerTheBoxAndTheWatch)
{
    const QVariant ok = QVariantMap { { "ok", true } };
    const QVariant notThere = QVariantMap { { "ok", false } };
    const QVariantMap editable = page("<body><div contenteditable></div></body>", "<div contenteditable></div>");
    const QByteArray formPass = "<body>\r\n<form\r\n>\r\n<textarea></textarea>\r\n</form>\r\n></body>\r\n";
    struct Row {
        const char *name;
        QVariant body;
        bool writeSucceeds;
        QVariant editorAnswer; // to the write beside the page's scripts, without a form
        bool asHtml;
        bool written;
        int countdown;
        QByteArray htmlTemp; // none: not looked at
        const char *carried; // what the writing script carries
    };
    const QList<Row> rows = {
        { "a text area takes it", kFormPage, true, {}, false, true, 4, formPass, "Hello forum\\r\\nsecond line" },
        { "the page refuses the write: the watch still starts", kFormPage, false, {}, false, false, 4, formPass, "" },
        { "a form without a text area: the inner pass stays in htmltemp.txt",
            page("<body><form><input name=a></form></body>", "<form><input name=a></form>"), true, notThere, false,
            false, 0, "\r\n<form\r\n>\r\n<inputname=a>\r\n</form>\r\n\r\n", "" },
        { "no page at all", QVariant(), true, {}, false, false, 0, "\r\n", "" },
        { "no form: the editable box takes it, html as markup", editable, true, ok, true, true, 4, {},
            "\"<p>Hello forum<br>second line</p>\",true," },
        { "no form and nothing takes it: no watch for a message that is not there", editable, true, notThere, false,
            false, 0, {}, "" },
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        Fixture f;
        f.asHtml = r.asHtml;
        f.browser.body = r.body;
        f.browser.writeSucceeds = r.writeSucceeds;
        if (r.editorAnswer.isValid())
            f.browser.pageAnswers = { r.editorAnswer };
        QSignalSpy done(&f.controller, &AutoInsertController::autoInsertDone);
        f.controller.autoInsert();
        ASSERT_EQ(done.size(), 1);
        EXPECT_EQ(done.first().at(0).toBool(), r.written);
        if (r.written) {
            EXPECT_TRUE(f.dialogs.boxes.isEmpty());
        } else {
            ASSERT_EQ(f.dialogs.boxes.size(), 1);
            EXPECT_EQ(f.dialogs.boxes[0].text, "Could not auto-insert your message.  Try pasting instead.");
            EXPECT_EQ(f.dialogs.boxes[0].title, "Auto-Insert Error");
        }
        EXPECT_EQ(f.controller.watchCountdown(), r.countdown);
        if (r.countdown)
            EXPECT_EQ(f.controller.insertedMessage(), f.message);
        if (!r.htmlTemp.isNull())
            EXPECT_EQ(f.htmlTemp(), r.htmlTemp);
        const QString scripts = (f.browser.scripts + f.browser.pageScripts).join("\n");
        EXPECT_TRUE(scripts.contains(QLatin1String(r.carried))) << scripts.right(200).toStdString();
    }
}

TEST(AutoInsertController, TheNextFourLoadsAreSearchedForTheMessage)
{
    Fixture f;
    f.browser.body = kFormPage;
    f.controller.autoInsert();
    ASSERT_EQ(f.controller.watchCountdown(), 4);
    // Three loads without the message, then the page that shows it.
    for (int i = 0; i < 3; ++i)
        f.load("http://forum/thanks", page("<body>thanks for posting</body>", "thanks"));
    EXPECT_EQ(f.controller.watchCountdown(), 1);
    EXPECT_TRUE(f.watched.isEmpty());
    f.load("http://forum/thread", page("<body><p>HELLO FORUM</p></body>", "<p>HELLO FORUM</p>"));
    EXPECT_EQ(f.watched, QStringList({ "http://forum/thread" })) << "found without regard to case";
    EXPECT_EQ(f.controller.watchCountdown(), 0);

    // After a new insertion a fifth load is not searched.
    f.browser.body = page("<body><form><textarea></textarea></form></body>", "");
    f.controller.autoInsert();
    for (int i = 0; i < 4; ++i)
        f.load("http://forum/other", page("<body>nothing</body>", "nothing"));
    f.load("http://forum/late", page("<body>Hello forum</body>", "Hello forum"));
    EXPECT_EQ(f.watched.size(), 1);
}

TEST(AutoInsertController, OpeningAPostWatchesItOnItsFirstLoad)
{
    Fixture f;
    // With no message inserted since start the key is empty and every page with a body shows it.
    f.load("http://forum/x", page("<body>x</body>", "x"));
    EXPECT_TRUE(f.watched.isEmpty()) << "countdown at 0 changes nothing";
    f.controller.watchNextLoads();
    f.load("http://forum/no-body", QVariantMap());
    EXPECT_TRUE(f.watched.isEmpty()) << "a page without a body does not show the key";
    f.load("http://forum/post", page("<body>x</body>", "x"));
    EXPECT_EQ(f.watched, QStringList({ "http://forum/post" }));
}

TEST(AutoInsertController, AFailedSaveOfHtmltempIsReportedAndTheInsertGoesOn)
{
    Fixture f;
    ASSERT_TRUE(QDir(f.dir.path()).mkdir("htmltemp.txt")); // a folder in the file's place cannot be replaced
    f.browser.body = kFormPage;
    QSignalSpy done(&f.controller, &AutoInsertController::autoInsertDone);
    QSignalSpy status(&f.controller, &AutoInsertController::pageSourceNotSaved);
    f.controller.autoInsert();
    ASSERT_EQ(done.size(), 1);
    EXPECT_TRUE(done.first().at(0).toBool()) << "the message is still inserted";
    EXPECT_TRUE(f.dialogs.boxes.isEmpty());
    ASSERT_EQ(status.size(), 1);
    EXPECT_TRUE(status.first().at(0).toString().startsWith("htmltemp.txt could not be saved: "))
        << status.first().at(0).toString().toStdString();
}
