// The window from the keyboard and through a screen reader, and commands
// that are enabled only when they can do something. What each shortcut does
// is tried with its command in the main window's tests.
#include "app/side_windows.h"
#include "messages/saved_messages_window.h"
#include "panels/message_editor_panel.h"
#include "support/list_items.h"
#include "support/script_server.h"
#include "support/test_app.h"
#include "watch/reply_check.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

#include <functional>

namespace {

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

bool takesTabFocus(const QWidget *w)
{
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

// The panels in the order they are read: the buttons along the top, then the
// left column from top to bottom, then the browser.
int panelOf(const QWidget *w)
{
    static const QStringList panels = { "commandBar", "Frame1", "listsPanel", "Frame2" };
    for (const QWidget *p = w; p; p = p->parentWidget())
        if (panels.contains(p->objectName()))
            return static_cast<int>(panels.indexOf(p->objectName()));
    return -1;
}

// b comes after a when read left to right, top to bottom.
bool readsAfter(const QWidget *a, const QWidget *b, const QWidget *window)
{
    const QRect ra(a->mapTo(window, QPoint(0, 0)), a->size());
    const QRect rb(b->mapTo(window, QPoint(0, 0)), b->size());
    const bool sameRow = rb.top() < ra.bottom() && ra.top() < rb.bottom();
    return sameRow ? rb.left() >= ra.right() : rb.top() >= ra.bottom();
}

} // namespace

TEST(Keyboard, EveryControlAScreenReaderReachesHasTheNameASightedUserReads)
{
    TestApp t;
    MainWindow &w = t.startWithEverything();
    const QList<QPair<int, int>> pages = { { 0, 0 }, { 1, 0 }, { 1, 1 } };
    for (const auto &[page, tab] : pages) {
        t.find<QTabBar>("TabStrip2")->setCurrentIndex(page);
        t.find<QTabBar>("TabStrip1")->setCurrentIndex(tab);
        QStringList buttonNames;
        for (QWidget *c : w.findChildren<QWidget *>()) {
            if (!c->isVisible())
                continue;
            const bool button = qobject_cast<QAbstractButton *>(c);
            if (!button && !(c->focusPolicy() & Qt::TabFocus))
                continue;
            const QString name = accessibleName(c);
            EXPECT_FALSE(name.trimmed().isEmpty()) << c->objectName().toStdString() << " has no name";
            if (button)
                buttonNames.append(name);
        }
        const int count = static_cast<int>(buttonNames.size());
        buttonNames.removeDuplicates();
        EXPECT_EQ(buttonNames.size(), count) << "two buttons a screen reader cannot tell apart, page " << page;
    }
    const QList<QPair<const char *, const char *>> inputs = { { "txtSubject", "Label1" }, { "Text5", "Label5" },
        { "txtUsername", "SkinLabel4" }, { "txtPassword", "SkinLabel5" }, { "txtMessage", "Label7" } };
    for (const auto &[input, label] : inputs)
        EXPECT_EQ(accessibleName(t.find(input)), t.find<QLabel>(label)->text()) << input << " reads as its label";
}

TEST(Keyboard, TabGoesThroughTheControlsInReadingOrder)
{
    TestApp t;
    MainWindow &w = t.startWithEverything();
    for (int page = 0; page < 2; ++page) {
        t.find<QTabBar>("TabStrip2")->setCurrentIndex(page);
        QWidget *start = t.find("cmdMessage");
        QList<QWidget *> order = { start };
        for (QWidget *next = start->nextInFocusChain(); next != start; next = next->nextInFocusChain())
            if (takesTabFocus(next) && next->window() == &w)
                order.append(next);
        ASSERT_GE(order.size(), 10);
        for (int i = 1; i < order.size(); ++i) {
            const QWidget *a = order[i - 1];
            const QWidget *b = order[i];
            const std::string pair = a->objectName().toStdString() + " then " + b->objectName().toStdString();
            ASSERT_GE(panelOf(b), panelOf(a)) << pair;
            if (panelOf(b) == panelOf(a))
                EXPECT_TRUE(readsAfter(a, b, &w)) << pair << ", page " << page;
        }
        EXPECT_EQ(panelOf(order.last()), 3) << "the browser comes last";
    }
}

TEST(Keyboard, EveryMenuCommandCanBeReachedWithTheKeys)
{
    TestApp t;
    MainWindow &w = t.startWithEverything();
    const QList<QAction *> menus = w.menuBar()->actions();
    for (int m = 0; m < menus.size(); ++m) {
        QMenu *menu = menus[m]->menu();
        // Alt and the File menu's letter, then across to the menu.
        QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget(); }));
        for (int k = 0; k < m; ++k)
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; }))
            << menus[m]->text().toStdString();
        bool first = true;
        for (QAction *item : menu->actions()) {
            if (item->isSeparator())
                continue;
            EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
            // The first item is active as the menu opens; the arrow goes on from there.
            if (!first)
                QTest::keyClick(menu, Qt::Key_Down);
            first = false;
            EXPECT_EQ(menu->activeAction(), item) << item->text().toStdString();
        }
        QTest::keyClick(menu, Qt::Key_Escape);
        if (QApplication::activePopupWidget())
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([] { return !QApplication::activePopupWidget(); }));
    }
}

TEST(Keyboard, TheShortcutsShowInTheButtonsTips)
{
    TestApp t;
    t.start();
    const QList<QPair<const char *, const char *>> commands
        = { { "autoInsert", "cmdMessage" }, { "previewMessage", "cmdPreview" }, { "copyMessage", "cmdCopy" } };
    for (const auto &[action, button] : commands) {
        const QString keys = t.find<QAction>(action)->shortcut().toString(QKeySequence::NativeText);
        EXPECT_FALSE(keys.isEmpty()) << action;
        EXPECT_TRUE(t.find(button)->toolTip().contains(keys)) << button;
    }
}

TEST(Commands, EnabledOnlyWhenTheyCanDoSomething)
{
    ScriptServer server;
    server.route("", ScriptServer::response(QByteArray(100, 'x')));
    TestApp t;
    t.writeFile("posts2.txt", "http://forum.one/|bob|secret\r\nhttp://forum.two/|al|\r\n\r\n");
    MainWindow &w = t.start();
    auto enabled = [&](const char *action) { return t.find<QAction>(action)->isEnabled(); };
    struct Row {
        const char *name;
        std::function<void()> change;
        const char *action;
        bool expected;
    };
    const QList<Row> rows = {
        { "a page without history", [&] { t.fake->setNavigation(false, false, false); }, "goBack", false },
        { "", [] {}, "goForward", false },
        { "", [] {}, "stopLoading", false },
        { "a page with history behind it, loading", [&] { t.fake->setNavigation(true, false, true); }, "goBack", true },
        { "", [] {}, "goForward", false },
        { "", [] {}, "stopLoading", true },
        { "history ahead, loaded", [&] { t.fake->setNavigation(false, true, false); }, "goForward", true },
        { "", [] {}, "stopLoading", false },
        { "no forum selected", [] {}, "pastePassword", false },
        { "a forum with its password", [&] { selectRow(t.find<QListView>("lstPosts2"), 0); }, "pastePassword", true },
        { "a forum without a password", [&] { selectRow(t.find<QListView>("lstPosts2"), 1); }, "pastePassword", false },
        { "a password typed in", [&] { t.find<QLineEdit>("txtPassword")->setText("pw"); }, "pastePassword", true },
        { "the forum removed", [&] { t.click("cmdDel2"); }, "pastePassword", false },
        { "no post watched", [] {}, "checkReplies", false },
        { "a post watched",
            [&] {
                t.fake->location = server.base() + "/t";
                t.click("cmdAdd");
            },
            "checkReplies", true },
        { "a run going", [&] { t.trigger("checkReplies"); }, "checkReplies", false },
        { "the run over",
            [&] {
                QSignalSpy finished(&w.checkRun(), &ReplyCheckRun::finished);
                finished.wait(10000);
            },
            "checkReplies", true },
    };
    for (const Row &r : rows) {
        r.change();
        EXPECT_EQ(enabled(r.action), r.expected) << r.name << ": " << r.action;
    }
    EXPECT_EQ(t.find<QAbstractButton>("cmdReplies")->isEnabled(), enabled("checkReplies")) << "the button follows";
}
