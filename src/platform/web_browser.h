#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

class QWidget;

// The embedded web browser as the program sees it: navigation, five events,
// the current address and script access to the page. Page access is
// asynchronous: results arrive through callbacks on the GUI thread.
class WebBrowser : public QObject {
    Q_OBJECT
public:
    using ScriptCallback = std::function<void(const QVariant &)>;

    using QObject::QObject;
    ~WebBrowser() override = default;

    virtual QWidget *widget() = 0;
    // The widget that receives typed keys for the page.
    virtual QWidget *keyTarget() = 0;

    virtual void navigate(const QString &address) = 0;
    // False when there is no page in that direction.
    virtual bool goBack() = 0;
    virtual bool goForward() = 0;
    virtual void stop() = 0;
    virtual void refresh() = 0;
    virtual QString locationUrl() const = 0;
    virtual void setFocus() = 0;
    // Runs a script in a world of its own, apart from the page's scripts; the
    // callback gets its result (an invalid value when there is no page).
    virtual void runJavaScript(const QString &script, ScriptCallback callback) = 0;
    // Runs a script beside the page's own scripts, where the objects they made
    // (a rich-text editor's API) can be reached. Only for scripts that need
    // them: the page can see and change what such a script touches.
    virtual void runJavaScriptInPage(const QString &script, ScriptCallback callback) = 0;

signals:
    void statusTextChange(const QString &text);
    void downloadBegin();
    void downloadComplete();
    void titleChange();
    // A page asks for a new window; a handler sets *cancel to refuse it.
    void newWindow2(bool *cancel);
};
