#pragma once

#include <QString>

class DesktopServices;
class DialogService;
class WebBrowser;

// Carries a text out of the program: typed into the page's focused field,
// copied to the clipboard, or shown as a preview.
class MessageDelivery {
public:
    MessageDelivery(WebBrowser &browser, DesktopServices &desktop, DialogService &dialogs);

    // Gives the page the keyboard focus and types the text into the field
    // the user clicked before, every character literally.
    void paste(const QString &text);
    // Types a forum's password. When the page shown is on another host than
    // the forum the login belongs to, the user is asked first; "No" types
    // nothing. Returns whether it was typed.
    bool pastePassword(const QString &password, const QString &forumAddress);
    void copy(const QString &text);
    void preview(const QString &text);

private:
    WebBrowser &m_browser;
    DesktopServices &m_desktop;
    DialogService &m_dialogs;
};
