#pragma once

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QToolButton;
class WebBrowser;

// "Browser": the address box, Go, Back, Forward, Stop, Refresh, "No Popups"
// and the page view. It reports the browser's status texts and each page
// that finished loading.
class BrowserPanel : public QGroupBox {
    Q_OBJECT
public:
    BrowserPanel(WebBrowser &browser, QWidget *parent = nullptr);

    // The layout's values for this frame, in twips.
    void fitTo(int width, int height, int viewWidth, int viewHeight, int addressWidth, int goLeft);

public slots:
    void goToAddress();
    void goBack();
    void goForward();
    void stopLoading();
    void refreshPage();

signals:
    void statusText(int panel, const QString &text);
    void pageLoaded(const QString &url);

private:
    void showLocation();
    void onPageLoaded();

    WebBrowser &m_browser;
    QLineEdit *m_addressBox = nullptr;
    QToolButton *m_goButton = nullptr;
    QCheckBox *m_noPopupsBox = nullptr;
};
