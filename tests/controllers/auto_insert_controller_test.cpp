#include "browser/auto_insert_controller.h"
#include "support/fake_browser.h"
#include "support/recorders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

QVariantMap page(const QString &outer, const QString &inner)
{
    return QVariantMap { { "outer", outer }, { "inner", inner } };
}

struct Fixture {
    QTemporaryDir dir;
    FakeBrowser browser;
    RecordingDialogs dialogs;
    QString message = QStringLiteral("Hello forum\r\nsecond line\r\n\r\n");
    AutoInsertController controller { browser, DataFolder(dir.path()), dialogs, [this] {
                                         return AutoInsertController::Outgoing { message, false };
                                     } };
    QStringList watched;

    Fixture()
    {
        QObject::connect(
            &controller, &AutoInsertController::messageShown, [this](const QString &url) { watched.append(url); });
    }
    QByteArray htmlTemp() const
    {
        QFile f(dir.filePath("htmltemp.txt"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void load(const QString &url, const QVariantMap &body)
    {
        browser.location = url;
        browser.body = body;
        controller.checkLoadedPage(url);
    }
};

} // namespace

TEST(AutoInsertController, WritesTheMessageAndWatchesThePageThatShowsIt)
{
    Fixture f;
    f.browser.body = page("<body><form><textarea></textarea></form></body>", "<form><textarea></textarea></form>");
    QSignalSpy done(&f.controller, &AutoInsertController::autoInsertDone);
    f.controller.autoInsert();
    ASSERT_EQ(done.size(), 1);
    EXPECT_TRUE(done.first().at(0).toBool());
    EXPECT_TRUE(f.dialogs.boxes.isEmpty());
    EXPECT_EQ(f.controller.watchCountdown(), 4);
    EXPECT_EQ(f.controller.insertedMessage(), f.message);
    EXPECT_TRUE(f.htmlTemp().contains("<textarea"));
    EXPECT_TRUE(f.browser.scripts.last().contains("Hello forum\\r\\nsecond line")) << "the message goes to the page";

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

TEST(AutoInsertController, FailuresShowTheBoxAndStillStartTheWatch)
{
    struct Row {
        const char *name;
        QVariant body;
        bool writeSucceeds;
        int countdown;
        QByteArray htmlTemp;
    };
    const QList<Row> rows = {
        { "the page refuses the write", page("<body><form><textarea></textarea></form></body>", ""), false, 4,
            "<body>\r\n<form\r\n>\r\n<textarea></textarea>\r\n</form>\r\n></body>\r\n" },
        { "a form without a text area: the inner pass stays in htmltemp.txt",
            page("<body><form><input name=a></form></body>", "<form><input name=a></form>"), true, 0,
            "\r\n<form\r\n>\r\n<inputname=a>\r\n</form>\r\n\r\n" },
        { "no page at all", QVariant(), true, 0, "\r\n" },
    };
    for (const Row &r : rows) {
        Fixture f;
        f.browser.body = r.body;
        f.browser.writeSucceeds = r.writeSucceeds;
        QSignalSpy done(&f.controller, &AutoInsertController::autoInsertDone);
        f.controller.autoInsert();
        ASSERT_EQ(done.size(), 1) << r.name;
        EXPECT_FALSE(done.first().at(0).toBool()) << r.name;
        ASSERT_EQ(f.dialogs.boxes.size(), 1) << r.name;
        EXPECT_EQ(f.dialogs.boxes[0].text, "Could not auto-insert your message.  Try pasting instead.") << r.name;
        EXPECT_EQ(f.dialogs.boxes[0].title, "Auto-Insert Error") << r.name;
        EXPECT_EQ(f.controller.watchCountdown(), r.countdown) << r.name;
        EXPECT_EQ(f.htmlTemp(), r.htmlTemp) << r.name;
    }
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
    f.browser.body = page("<body><form><textarea></textarea></form></body>", "<form><textarea></textarea></form>");
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
