#pragma once

#include <QGroupBox>

class QAction;
class QCheckBox;
class QLineEdit;
class WebBrowser;

// "Browser": the address box, Go, Back, Forward, Stop, Refresh, "No Popups"
// and the page view, which takes all the room the frame has. Back, Forward
// and Stop are enabled from the page's own state. It tells what the page
// did: a load started, a page loaded, a link under the mouse.
class BrowserPanel : public QGroupBox {
    Q_OBJECT
public:
    BrowserPanel(WebBrowser &browser, QWidget *parent = nullptr);

signals:
    void loadStarted();
    void pageLoaded(const QString &url);
    void linkHovered(const QString &url);
    // Go was refused the address in the box, for the reason given.
    void addressRefused(const QString &why);

private:
    void goToAddress();
    // Ctrl+L: the address box, its text selected to be typed over.
    void focusAddress();
    void showLocation(const QString &url);
    void onPageLoaded();
    void followNavigation();

    WebBrowser &m_browser;
    QLineEdit *m_addressBox = nullptr;
    QCheckBox *m_noPopupsBox = nullptr;
    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QAction *m_stop = nullptr;
};
