// The window at the sizes users give it. Run again under QT_SCALE_FACTOR=2
// (ctest: window_layout_scale_2).
#include "support/test_app.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>

namespace {

// How far the page view may stay from its frame's edges: the frame's margin.
constexpr int kFrameMargin = 16;

bool isControl(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLabel *>(w)
        || qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractScrollArea *>(w)
        || qobject_cast<const QComboBox *>(w) || qobject_cast<const QTabBar *>(w) || qobject_cast<const QMenuBar *>(w)
        || w->objectName() == QLatin1String("WebBrowser1");
}

// What the user sees as one control each; their insides (a list's scroll bars) are theirs.
QList<QWidget *> visibleControls(QWidget *window)
{
    QList<QWidget *> out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible() || !isControl(w))
            continue;
        bool inner = false;
        for (QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
            inner = inner || isControl(p);
        if (!inner)
            out.append(w);
    }
    return out;
}

QRect inWindow(const QWidget *w, const QWidget *window)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

std::string nameOf(const QWidget *w)
{
    return (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName())
        .toStdString();
}

// Every control apart from the others, and as large as its text needs. A
// status panel's text is news of the moment: it is cut at the panel's edge.
void expectNothingOverlapsOrIsCut(QWidget *window, const std::string &where)
{
    const QList<QWidget *> controls = visibleControls(window);
    for (int i = 0; i < controls.size(); ++i) {
        const QRect a = inWindow(controls[i], window);
        EXPECT_TRUE(window->rect().contains(a)) << where << ": " << nameOf(controls[i]) << " leaves the window";
        for (int j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(a.intersects(inWindow(controls[j], window)))
                << where << ": " << nameOf(controls[i]) << " overlaps " << nameOf(controls[j]);
        QWidget *c = controls[i];
        // Lists, boxes and the page scroll what they hold.
        const bool holdsText = qobject_cast<QAbstractButton *>(c) || qobject_cast<QLabel *>(c)
            || qobject_cast<QComboBox *>(c) || qobject_cast<QTabBar *>(c) || qobject_cast<QMenuBar *>(c);
        if (!holdsText || qobject_cast<QStatusBar *>(c->parentWidget()))
            continue;
        const QSize needed = c->minimumSizeHint();
        EXPECT_TRUE(c->width() >= needed.width() && c->height() >= needed.height())
            << where << ": " << nameOf(c) << " is " << c->width() << "x" << c->height() << ", its text needs "
            << needed.width() << "x" << needed.height();
        if (auto *tabs = qobject_cast<QTabBar *>(c))
            for (int t = 0; t < tabs->count(); ++t)
                EXPECT_GE(tabs->tabRect(t).width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(t)))
                    << where << ": tab " << tabs->tabText(t).toStdString();
    }
    for (auto *frame : window->findChildren<QGroupBox *>())
        if (frame->isVisible())
            EXPECT_GE(frame->width(), frame->fontMetrics().horizontalAdvance(frame->title())) << where;
}

void expectThePageFillsItsFrame(const TestApp &t, const std::string &where)
{
    QWidget *frame = t.find("Frame2");
    QWidget *view = t.find("WebBrowser1");
    const QRect r = view->geometry();
    EXPECT_LE(r.left(), kFrameMargin) << where;
    EXPECT_LE(frame->width() - 1 - r.right(), kFrameMargin) << where;
    EXPECT_LE(frame->height() - 1 - r.bottom(), kFrameMargin) << where;
    EXPECT_LE(r.top() - t.find("Command4")->geometry().bottom(), kFrameMargin) << where << ": below the buttons";
}

void showPage(const TestApp &t, int page, int postsTab)
{
    t.find<QTabBar>("TabStrip2")->setCurrentIndex(page);
    t.find<QTabBar>("TabStrip1")->setCurrentIndex(postsTab);
    QCoreApplication::processEvents();
}

} // namespace

TEST(WindowLayout, AtEverySizeNothingOverlapsNothingIsCutAndTheListsGrow)
{
    TestApp t;
    MainWindow &w = t.start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.resize(1, 1);
    QCoreApplication::processEvents();
    const QSize minimum = w.size();
    EXPECT_LE(minimum.width(), 1024) << "the window fits a small screen";
    EXPECT_LE(minimum.height(), 700) << "the window fits a small screen";

    const QList<QSize> sizes = { minimum, QSize(1024, 700), QSize(1400, 900), QSize(1920, 1080) };
    QList<int> forumListHeights;
    QList<int> postListHeights;
    for (const QSize &size : sizes) {
        w.resize(size);
        QCoreApplication::processEvents();
        const std::string where = std::to_string(size.width()) + "x" + std::to_string(size.height());
        ASSERT_EQ(w.size(), size) << where;
        // Each page of the lists, each in its turn.
        const QList<QPair<int, int>> pages = { { 0, 0 }, { 1, 0 }, { 1, 1 } };
        for (const auto &[page, tab] : pages) {
            showPage(t, page, tab);
            expectNothingOverlapsOrIsCut(&w, where + " page " + std::to_string(page) + "/" + std::to_string(tab));
        }
        expectThePageFillsItsFrame(t, where);
        showPage(t, 0, 0);
        forumListHeights.append(t.find("lstPosts2")->height());
        showPage(t, 1, 0);
        postListHeights.append(t.find("lstPosts")->height());
    }
    for (int i = 2; i < sizes.size(); ++i) {
        EXPECT_GT(forumListHeights[i], forumListHeights[i - 1]) << "forums, " << i;
        EXPECT_GT(postListHeights[i], postListHeights[i - 1]) << "posts, " << i;
    }
    EXPECT_GE(forumListHeights[1], forumListHeights[0]);
}

TEST(WindowLayout, ANoticeNeverDrawsOverThePanels)
{
    TestApp t;
    MainWindow &w = t.start(); // no keyring answers: the status bar says so
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    emit t.fake->loadFinished(true);
    QCoreApplication::processEvents();
    QStatusBar *bar = w.statusBar();
    ASSERT_FALSE(bar->currentMessage().isEmpty());
    for (const char *panel : { "StatusBar1_panel1", "StatusBar1_panel2", "StatusBar1_panel3" })
        EXPECT_FALSE(t.find(panel)->isVisible()) << panel << " shows under the notice";
    bar->clearMessage();
    QCoreApplication::processEvents();
    for (const char *panel : { "StatusBar1_panel1", "StatusBar1_panel2", "StatusBar1_panel3" })
        EXPECT_TRUE(t.find(panel)->isVisible()) << panel << " is back when the notice has gone";
    EXPECT_EQ(w.statusText(1), "Complete") << "what came meanwhile is kept";
}
