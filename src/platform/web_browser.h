#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

class QWidget;

// A page's request for a new window. It is granted unless a receiver of
// WebBrowser::newWindowRequested rejects it.
class NewWindowRequest {
public:
    void reject() { m_rejected = true; }
    bool isRejected() const { return m_rejected; }

private:
    bool m_rejected = false;
};

// The embedded web browser as the program sees it: navigation, what the page
// does, the current address and script access to the page. Page access is
// asynchronous: results arrive through callbacks on the GUI thread.
class WebBrowser : public QObject {
    Q_OBJECT
public:
    using ScriptCallback = std::function<void(const QVariant &)>;

    using QObject::QObject;
    ~WebBrowser() override = default;

    // The view that shows the page, for the window to place; null where
    // there is no display.
    virtual QWidget *widget() = 0;

    virtual void navigate(const QString &address) = 0;
    // False when there is no page in that direction.
    virtual bool goBack() = 0;
    virtual bool goForward() = 0;
    virtual void stop() = 0;
    virtual void refresh() = 0;
    virtual QString locationUrl() const = 0;
    // What the page allows now; navigationChanged tells when one of them may have changed.
    virtual bool canGoBack() const = 0;
    virtual bool canGoForward() const = 0;
    virtual bool isLoading() const = 0;
    // Gives the page the keyboard focus; its focused field keeps its focus.
    virtual void setFocus() = 0;
    // Types text into the page's focused field, every character literally.
    // The keys arrive after the call returns.
    virtual void typeText(const QString &text) = 0;
    // Runs a script in a world of its own, apart from the page's scripts; the
    // callback gets its result (an invalid value when there is no page).
    virtual void runJavaScript(const QString &script, ScriptCallback callback) = 0;
    // Runs a script beside the page's own scripts, where the objects they made
    // (a rich-text editor's API) can be reached. Only for scripts that need
    // them: the page can see and change what such a script touches.
    virtual void runJavaScriptInPage(const QString &script, ScriptCallback callback) = 0;

signals:
    void loadStarted();
    void loadFinished(bool ok);
    void urlChanged(const QString &url);
    // The address under the mouse, or empty when it left the link.
    void linkHovered(const QString &url);
    void navigationChanged();
    // A page asks for a new window; a receiver connected directly may reject it.
    void newWindowRequested(NewWindowRequest &request);
    // A page followed a link to the program's Help ("postmaven:help"); the
    // page itself stays where it is.
    void helpRequested();
};
