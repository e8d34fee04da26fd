#include "app/window_layout.h"

#include <gtest/gtest.h>

#include <QList>

TEST(WindowLayout, TwelveThousandWide)
{
    const WindowLayout l = layoutWindow({ 12000, 9000, 315, false });
    ASSERT_TRUE(l.applies);
    EXPECT_EQ(l.frame2Width, 7920);
    EXPECT_EQ(l.webBrowserWidth, 7680);
    EXPECT_EQ(l.panel1Width, 3735);
    EXPECT_EQ(l.panel2Width, 5065);
    EXPECT_EQ(l.panel3Width, 12000 - 5065 - 3735);
    EXPECT_EQ(l.command1Width, 12000 - 8040 - 250);
    EXPECT_EQ(l.text5Width, 7920 - 540 - 795 - 200);
    EXPECT_EQ(l.command3Left, 7920 - 795 - 100);
}

TEST(WindowLayout, HeightsFollowTheWindow)
{
    const WindowLayout l = layoutWindow({ 11145, 9000, 315, false });
    EXPECT_EQ(l.frame3Height, 9000 - 315 - 500 - 5400 - 250);
    EXPECT_EQ(l.frame4Height, l.frame3Height);
    EXPECT_EQ(l.lstPostsHeight, l.frame3Height - 1500 - 200);
    EXPECT_EQ(l.lstPosts2Height, l.frame3Height - 1380 - 200);
    EXPECT_EQ(l.lstNewHeight, l.lstPostsHeight);
    EXPECT_EQ(l.frame2Height, 900 + l.frame3Height + 4095);
    EXPECT_EQ(l.webBrowserHeight, l.frame2Height - 1140 - 1700);
    EXPECT_EQ(l.tabStrip2Height, 9000);
    EXPECT_EQ(l.pasteMessageTop, 3600);
    EXPECT_EQ(l.txtMessageHeight, 2600);
}

TEST(WindowLayout, FiveThousandHighTakesAbsoluteValues)
{
    const WindowLayout l = layoutWindow({ 9000, 5000, 315, false });
    EXPECT_EQ(l.frame3Height, 1465);
    EXPECT_EQ(l.lstPostsHeight, 235); // |1465 - 1700|
    EXPECT_EQ(l.lstPosts2Height, 115); // |1465 - 1580|
    // Below 6465 the page grows again as the window shrinks.
    EXPECT_GT(
        layoutWindow({ 9000, 5000, 315, false }).frame3Height, layoutWindow({ 9000, 6465, 315, false }).frame3Height);
    EXPECT_EQ(layoutWindow({ 9000, 6465, 315, false }).frame3Height, 0);
}

TEST(WindowLayout, HeldAtTheMinimumSize)
{
    const WindowLayout l = layoutWindow({ 6000, 4000, 315, false });
    EXPECT_EQ(l.width, 7000);
    EXPECT_EQ(l.height, 5000);
    EXPECT_EQ(l.frame3Height, 1465);
    EXPECT_EQ(l.frame2Width, 7000 - 3840 - 240);
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
            for (int v : { l.frame3Height, l.lstPostsHeight, l.lstPosts2Height, l.frame2Width, l.webBrowserWidth,
                     l.webBrowserHeight, l.panel2Width, l.panel3Width, l.text5Width, l.command3Left, l.command1Width })
                ASSERT_GE(v, 0) << w << "x" << h;
        }
}
