#include "app/window_layout.h"

#include <cstdlib>

using namespace Design;

WindowLayout layoutWindow(const WindowLayoutInput &in)
{
    WindowLayout l;
    if (in.minimized)
        return l;
    l.applies = true;
    l.width = in.width < minWidth ? minWidth : in.width;
    l.height = in.height < minHeight ? minHeight : in.height;
    const int w = l.width;
    const int h = l.height;

    l.postsPageHeight = std::abs(h - in.statusBarHeight - 500 - postsPageTop - 250);
    l.forumsPageHeight = l.postsPageHeight;
    l.postListHeight = std::abs(l.postsPageHeight - postListTop - 200);
    l.forumListHeight = std::abs(l.postsPageHeight - forumListTop - 200);
    l.newRepliesListHeight = l.postListHeight;
    l.browserFrameHeight = editorTop + l.postsPageHeight + editorHeight;
    l.browserFrameWidth = std::abs(w - browserFrameLeft - 240);
    l.pageViewWidth = std::abs(l.browserFrameWidth - 240);
    l.pageViewHeight = std::abs(l.browserFrameHeight - pageViewTop - 1700);
    l.panel1Width = editorWidth;
    l.panel2Width = std::abs(w - l.panel1Width - 200 - 3000);
    // Panel 2 starts where panel 1 ends.
    l.panel3Width = std::abs(w - l.panel2Width - l.panel1Width);
    l.addressBoxWidth = std::abs(l.browserFrameWidth - addressBoxLeft - goButtonWidth - 200);
    l.goButtonLeft = std::abs(l.browserFrameWidth - goButtonWidth - 100);
    l.visitButtonWidth = std::abs(w - visitButtonLeft - 250);
    l.pageTabsHeight = h;
    l.pasteMessageTop = 3975 - pasteMessageHeight;
    l.messageBoxHeight = std::abs(l.pasteMessageTop - messageBoxTop - 100);
    return l;
}
