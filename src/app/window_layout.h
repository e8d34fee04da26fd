#pragma once

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
    int frame3Height = 0;
    int frame4Height = 0;
    int lstPostsHeight = 0;
    int lstPosts2Height = 0;
    int lstNewHeight = 0;
    int frame2Height = 0;
    int frame2Width = 0;
    int webBrowserWidth = 0;
    int webBrowserHeight = 0;
    int panel1Width = 0;
    int panel2Width = 0;
    int panel3Width = 0;
    int text5Width = 0;
    int command3Left = 0;
    int command1Width = 0;
    int tabStrip2Height = 0;
    int pasteMessageTop = 0;
    int txtMessageHeight = 0;
};

namespace Design {
// Designed places, in twips, that the layout reads.
constexpr int minWidth = 7000;
constexpr int minHeight = 5000;
constexpr int frame1Top = 900;
constexpr int frame1Width = 3735;
constexpr int frame1Height = 4095;
constexpr int frame2Left = 3840;
constexpr int frame3Top = 5400;
constexpr int lstPostsTop = 1500;
constexpr int lstPosts2Top = 1380;
constexpr int webBrowserTop = 1140;
constexpr int text5Left = 540;
constexpr int command3Width = 795;
constexpr int command1Left = 8040;
constexpr int pasteMessageHeight = 375;
constexpr int txtMessageTop = 900;
} // namespace Design

WindowLayout layoutWindow(const WindowLayoutInput &in);

constexpr int kTwipsPerPixel = 15;
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);
