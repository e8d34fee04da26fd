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
    void copy(const QString &text);
    void preview(const QString &text);

private:
    WebBrowser &m_browser;
    DesktopServices &m_desktop;
    DialogService &m_dialogs;
};
