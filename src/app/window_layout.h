#pragma once

#include "ui/twips.h"

// Placement of the main window's controls for a window size, as plain
// arithmetic in twips (1/1440 inch; 15 twips to a logical pixel). Every
// difference is taken as its absolute value, so no size comes out negative.
struct WindowLayoutInput {
    int width = 0; // the window's outer width
    int height = 0; // the window's outer height
    int statusBarHeight = 315;
    bool minimized = false;
};

struct WindowLayout {
    bool applies = false; // false while minimized: nothing moves
    int width = 0; // the window size after holding it at its minimum
    int height = 0;
    int postsPageHeight = 0;
    int forumsPageHeight = 0;
    int postListHeight = 0;
    int forumListHeight = 0;
    int newRepliesListHeight = 0;
    int browserFrameHeight = 0;
    int browserFrameWidth = 0;
    int pageViewWidth = 0;
    int pageViewHeight = 0;
    int panel1Width = 0;
    int panel2Width = 0;
    int panel3Width = 0;
    int addressBoxWidth = 0;
    int goButtonLeft = 0;
    int visitButtonWidth = 0;
    int pageTabsHeight = 0;
    int pasteMessageTop = 0;
    int messageBoxHeight = 0;
};

namespace Design {
// Designed places, in twips, that the layout reads.
// The window: its client area, and room for the menu bar and the status bar.
constexpr int windowWidth = 11145;
constexpr int windowHeight = 8985 + 300;
constexpr int minWidth = 7000;
constexpr int minHeight = 5000;
constexpr int editorTop = 900;
constexpr int editorWidth = 3735;
constexpr int editorHeight = 4095;
constexpr int browserFrameLeft = 3840;
constexpr int postsPageTop = 5400;
constexpr int postListTop = 1500;
constexpr int forumListTop = 1380;
constexpr int pageViewTop = 1140;
constexpr int addressBoxLeft = 540;
constexpr int goButtonWidth = 795;
constexpr int visitButtonLeft = 8040;
constexpr int pasteMessageHeight = 375;
constexpr int messageBoxTop = 900;
} // namespace Design

WindowLayout layoutWindow(const WindowLayoutInput &in);
