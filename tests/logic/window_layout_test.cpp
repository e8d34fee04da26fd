#include "app/window_layout.h"

#include <gtest/gtest.h>

#include <QList>

TEST(WindowLayout, TwelveThousandWide)
{
    const WindowLayout l = layoutWindow({ 12000, 9000, 315, false });
    ASSERT_TRUE(l.applies);
    EXPECT_EQ(l.browserFrameWidth, 7920);
    EXPECT_EQ(l.pageViewWidth, 7680);
    EXPECT_EQ(l.panel1Width, 3735);
    EXPECT_EQ(l.panel2Width, 5065);
    EXPECT_EQ(l.panel3Width, 12000 - 5065 - 3735);
    EXPECT_EQ(l.visitButtonWidth, 12000 - 8040 - 250);
    EXPECT_EQ(l.addressBoxWidth, 7920 - 540 - 795 - 200);
    EXPECT_EQ(l.goButtonLeft, 7920 - 795 - 100);
}

TEST(WindowLayout, HeightsFollowTheWindow)
{
    const WindowLayout l = layoutWindow({ 11145, 9000, 315, false });
    EXPECT_EQ(l.postsPageHeight, 9000 - 315 - 500 - 5400 - 250);
    EXPECT_EQ(l.forumsPageHeight, l.postsPageHeight);
    EXPECT_EQ(l.postListHeight, l.postsPageHeight - 1500 - 200);
    EXPECT_EQ(l.forumListHeight, l.postsPageHeight - 1380 - 200);
    EXPECT_EQ(l.newRepliesListHeight, l.postListHeight);
    EXPECT_EQ(l.browserFrameHeight, 900 + l.postsPageHeight + 4095);
    EXPECT_EQ(l.pageViewHeight, l.browserFrameHeight - 1140 - 1700);
    EXPECT_EQ(l.pageTabsHeight, 9000);
    EXPECT_EQ(l.pasteMessageTop, 3600);
    EXPECT_EQ(l.messageBoxHeight, 2600);
}

TEST(WindowLayout, FiveThousandHighTakesAbsoluteValues)
{
    const WindowLayout l = layoutWindow({ 9000, 5000, 315, false });
    EXPECT_EQ(l.postsPageHeight, 1465);
    EXPECT_EQ(l.postListHeight, 235); // |1465 - 1700|
    EXPECT_EQ(l.forumListHeight, 115); // |1465 - 1580|
    // Below 6465 the page grows again as the window shrinks.
    EXPECT_GT(layoutWindow({ 9000, 5000, 315, false }).postsPageHeight,
        layoutWindow({ 9000, 6465, 315, false }).postsPageHeight);
    EXPECT_EQ(layoutWindow({ 9000, 6465, 315, false }).postsPageHeight, 0);
}

TEST(WindowLayout, HeldAtTheMinimumSize)
{
    const WindowLayout l = layoutWindow({ 6000, 4000, 315, false });
    EXPECT_EQ(l.width, 7000);
    EXPECT_EQ(l.height, 5000);
    EXPECT_EQ(l.postsPageHeight, 1465);
    EXPECT_EQ(l.browserFrameWidth, 7000 - 3840 - 240);
}

TEST(WindowLayout, MinimizedMovesNothing)
{
    EXPECT_FALSE(layoutWindow({ 100, 100, 315, true }).applies);
}

TEST(WindowLayout, NoSizeIsNegative)
{
    for (int w = 0; w <= 20000; w += 250)
        for (int h = 0; h <= 20000; h += 250) {
            const WindowLayout l = layoutWindow({ w, h, 315, false });
            for (int v : { l.postsPageHeight, l.postListHeight, l.forumListHeight, l.browserFrameWidth, l.pageViewWidth,
                     l.pageViewHeight, l.panel2Width, l.panel3Width, l.addressBoxWidth, l.goButtonLeft,
                     l.visitButtonWidth })
                ASSERT_GE(v, 0) << w << "x" << h;
        }
}
