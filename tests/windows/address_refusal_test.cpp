// Addresses the window cannot use: each place says why, as fits it, and
// nothing of such an address reaches the lists or their files.
#include "panels/message_editor_panel.h"
#include "support/list_items.h"
#include "support/script_server.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <functional>

TEST(AddressRefusal, EachPlaceSaysWhyAndKeepsNothing)
{
    // Two addresses in one: read back, the second would be a post of its own.
    const QString twoInOne = QStringLiteral("http://127.0.0.1:%1/t/1\nhttp://evil.example/").arg(closedLoopbackPort());
    enum class Where { StatusBar, Box };
    struct Row {
        const char *name;
        std::function<void(TestApp &)> act;
        const char *said;
        Where where;
        int watched; // posts in the list afterwards
    };
    auto watch = [](const QString &location) {
        return [location](TestApp &t) {
            t.fake->location = location;
            t.trigger("watchCurrentPage");
        };
    };
    auto typeAndGo = [](const QString &text, bool enter) {
        return [text, enter](TestApp &t) {
            auto *box = t.find<QLineEdit>("Text5");
            box->setText(text);
            if (enter)
                QTest::keyClick(box, Qt::Key_Return);
            else
                t.click("Command3");
        };
    };
    const QList<Row> rows = {
        { "Watch This Post", watch(twoInOne), "Not watched: the address holds a line break", Where::StatusBar, 0 },
        { "the automatic watch after Auto-Insert",
            [&](TestApp &t) {
                t.fake->body = QVariantMap { { "outer", "<body><form><textarea></textarea></form></body>" },
                    { "inner", "<form><textarea></textarea></form>" } };
                t.window->messageEditor().setMessageText("Hello forum");
                t.click("cmdMessage");
                t.fake->location = twoInOne;
                t.fake->body
                    = QVariantMap { { "outer", "<body><p>Hello forum</p></body>" }, { "inner", "<p>Hello forum</p>" } };
                emit t.fake->loadFinished(true);
            },
            "Not watched: the address holds a line break", Where::StatusBar, 0 },
        { "Go", typeAndGo(twoInOne, false), "Not opened: the address holds a line break", Where::StatusBar, 0 },
        { "Enter in the address box", typeAndGo("http://forum.example/\x01", true),
            "Not opened: the address holds a control character (U+0001) at character 22", Where::StatusBar, 0 },
        { "Add Current URL",
            [](TestApp &t) {
                t.fake->location = "http://forum.example/\tx";
                t.trigger("addCurrentForum");
            },
            "Not added: the address holds a control character (U+0009)", Where::StatusBar, 0 },
        // Addresses that can be kept but never fetched are watched, and the error box says why.
        { "a scheme that is not fetched", watch("ftp://files.example/t/1"),
            "Error #: 10908\r\nDescription: Unsupported address \"ftp://files.example/t/1\"", Where::Box, 1 },
        { "a port that cannot be", watch("http://127.0.0.1:99999/t/1"),
            "Error #: 10909\r\nDescription: Invalid port \"99999\"", Where::Box, 1 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TestApp t;
        t.start();
        const int navigated = static_cast<int>(t.fake->navigated.size());
        row.act(t);
        if (row.where == Where::StatusBar) {
            EXPECT_TRUE(t.window->statusText(1).startsWith(QLatin1String(row.said)))
                << t.window->statusText(1).toStdString();
            EXPECT_TRUE(t.dialogs.boxes.isEmpty());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(t.dialogs.boxes.size(), 1, 10000);
            EXPECT_TRUE(t.dialogs.boxes.first().text.contains(QLatin1String(row.said)))
                << t.dialogs.boxes.first().text.toStdString();
        }
        EXPECT_EQ(t.fake->navigated.size(), navigated) << "nothing opened";
        EXPECT_EQ(items(t.find<QListView>("lstPosts")).size(), row.watched);
        EXPECT_TRUE(items(t.find<QListView>("lstPosts2")).isEmpty());
        t.window->close();
        for (const char *file : { "posts.txt", "sizes.txt", "posts2.txt" })
            EXPECT_FALSE(t.readFile(file).contains("evil") || t.readFile(file).contains("forum.example")) << file;
    }
}
