#pragma once

#include "platform/web_browser.h"

#include <QList>
#include <QPointer>
#include <QWebEngineView>

class QWebEngineProfile;

// The browser on QtWebEngine.
class WebEngineBrowser : public WebBrowser {
    Q_OBJECT
public:
    // A persistent profile keeps cookies (forum logins) between runs.
    explicit WebEngineBrowser(bool persistentProfile, QObject *parent = nullptr);
    ~WebEngineBrowser() override;

    QWidget *widget() override;
    // The widget that receives typed keys for the page.
    QWidget *keyTarget();
    void navigate(const QString &address) override;
    bool goBack() override;
    bool goForward() override;
    void stop() override;
    void refresh() override;
    QString locationUrl() const override;
    bool canGoBack() const override;
    bool canGoForward() const override;
    bool isLoading() const override;
    void setFocus() override;
    void typeText(const QString &text) override;
    void runJavaScript(const QString &script, ScriptCallback callback) override;
    void runJavaScriptInPage(const QString &script, ScriptCallback callback) override;

    QWebEngineView *view() const { return m_view; }
    // Windows that pages opened and that were allowed.
    QList<QWebEngineView *> popups() const;

private:
    class Page;
    static constexpr int kFocusTries = 25;
    static constexpr int kFocusRetryMs = 20;
    void typeWhenFocused(const QString &text, int triesLeft, int focusedChecks);
    QWebEngineView *createPopup();
    void run(const QString &script, quint32 world, ScriptCallback callback);

    QWebEngineProfile *m_profile = nullptr;
    QPointer<QWebEngineView> m_view;
    QList<QPointer<QWebEngineView>> m_popups;
};
