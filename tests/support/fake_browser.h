#pragma once

#include "platform/web_browser.h"

#include <QList>
#include <QStringList>
#include <QVariant>

// A browser without an engine: it records what it was told and answers
// scripts with prepared values. Window tests give it a plain widget to show.
class FakeBrowser : public WebBrowser {
    Q_OBJECT
public:
    using WebBrowser::WebBrowser;

    // The window that shows the browser adopts this widget as its child.
    void setWidget(QWidget *widget) { m_widget = widget; }
    QWidget *widget() override { return m_widget; }
    void navigate(const QString &address) override
    {
        navigated.append(address);
        location = address;
    }
    bool goBack() override
    {
        ++backs;
        return false;
    }
    bool goForward() override
    {
        ++forwards;
        return false;
    }
    void stop() override { ++stops; }
    void refresh() override { ++refreshes; }
    QString locationUrl() const override { return location; }
    bool canGoBack() const override { return backAllowed; }
    bool canGoForward() const override { return forwardAllowed; }
    bool isLoading() const override { return loading; }
    // The page's history and loading as a page would change them.
    void setNavigation(bool back, bool forward, bool isLoading)
    {
        backAllowed = back;
        forwardAllowed = forward;
        loading = isLoading;
        emit navigationChanged();
    }
    void setFocus() override { ++focusCalls; }
    void typeText(const QString &text) override { typed.append(text); }
    void runJavaScript(const QString &script, ScriptCallback callback) override;
    void runJavaScriptInPage(const QString &script, ScriptCallback callback) override;

    // The body that readBody scripts see; an invalid value means no page.
    QVariant body;
    bool writeSucceeds = true;
    // When set, the answer to the form-field write instead of writeSucceeds.
    QVariant fieldWriteAnswer;
    QString location;
    QStringList navigated;
    QStringList scripts;
    QStringList typed;
    int backs = 0;
    int forwards = 0;
    bool backAllowed = false;
    bool forwardAllowed = false;
    bool loading = false;
    // Scripts run beside the page's own, and their answers in turn: each
    // answer is used once, the last one again; none means no page (an invalid
    // value). A callback that is held back is kept in heldCallbacks.
    QStringList pageScripts;
    QList<QVariant> pageAnswers;
    bool holdPageCallbacks = false;
    QList<ScriptCallback> heldCallbacks;
    int stops = 0;
    int refreshes = 0;
    int focusCalls = 0;

private:
    QWidget *m_widget = nullptr;
};
