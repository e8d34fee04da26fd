#pragma once

#include "platform/web_browser.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <QWidget>

// A browser without an engine, for window tests: it records what it was told
// and answers scripts with prepared values.
class FakeBrowser : public WebBrowser {
    Q_OBJECT
public:
    explicit FakeBrowser(QObject *parent = nullptr);
    ~FakeBrowser() override;

    QWidget *widget() override { return m_widget; }
    QWidget *keyTarget() override { return m_widget; }
    void navigate(const QString &address) override
    {
        navigated.append(address);
        location = address;
    }
    bool goBack() override { return false; }
    bool goForward() override { return false; }
    void stop() override { ++stops; }
    void refresh() override { ++refreshes; }
    QString locationUrl() const override { return location; }
    void setFocus() override { ++focusCalls; }
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

    static FakeBrowser *last;

private:
    QPointer<QWidget> m_widget; // the window may own it by now
};
