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

    l.frame3Height = std::abs(h - in.statusBarHeight - 500 - frame3Top - 250);
    l.frame4Height = l.frame3Height;
    l.lstPostsHeight = std::abs(l.frame3Height - lstPostsTop - 200);
    l.lstPosts2Height = std::abs(l.frame3Height - lstPosts2Top - 200);
    l.lstNewHeight = l.lstPostsHeight;
    l.frame2Height = frame1Top + l.frame3Height + frame1Height;
    l.frame2Width = std::abs(w - frame2Left - 240);
    l.webBrowserWidth = std::abs(l.frame2Width - 240);
    l.webBrowserHeight = std::abs(l.frame2Height - webBrowserTop - 1700);
    l.panel1Width = frame1Width;
    l.panel2Width = std::abs(w - l.panel1Width - 200 - 3000);
    // Panel 2 starts where panel 1 ends.
    l.panel3Width = std::abs(w - l.panel2Width - l.panel1Width);
    l.text5Width = std::abs(l.frame2Width - text5Left - command3Width - 200);
    l.command3Left = std::abs(l.frame2Width - command3Width - 100);
    l.command1Width = std::abs(w - command1Left - 250);
    l.tabStrip2Height = h;
    l.pasteMessageTop = 3975 - pasteMessageHeight;
    l.txtMessageHeight = std::abs(l.pasteMessageTop - txtMessageTop - 100);
    return l;
}

int twipsToPixels(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
