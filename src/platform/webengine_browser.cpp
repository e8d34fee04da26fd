#include "platform/webengine_browser.h"

#include "platform/key_sender.h"

#include <QAction>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

class WebEngineBrowser::Page : public QWebEnginePage {
public:
    // The page belongs to its view and goes with it.
    Page(QWebEngineProfile *profile, WebEngineBrowser *owner, QWidget *view)
        : QWebEnginePage(profile, view)
        , m_owner(owner)
    {
    }

protected:
    // Links of the start page to the program's own windows go to the program.
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (url.scheme() == QLatin1String("postmaven")) {
            if (m_owner && url.path() == QLatin1String("help"))
                emit m_owner->helpRequested();
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    // The one place where pages ask for new windows.
    QWebEnginePage *createWindow(WebWindowType) override
    {
        if (!m_owner)
            return nullptr;
        NewWindowRequest request;
        emit m_owner->newWindowRequested(request);
        if (request.isRejected())
            return nullptr;
        return m_owner->createPopup()->page();
    }

private:
    QPointer<WebEngineBrowser> m_owner;
};

WebEngineBrowser::WebEngineBrowser(bool persistentProfile, QObject *parent)
    : WebBrowser(parent)
{
    m_profile
        = persistentProfile ? new QWebEngineProfile(QStringLiteral("Postmaven"), this) : new QWebEngineProfile(this);
    m_view = new QWebEngineView();
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
    m_view->setPage(new Page(m_profile, this, m_view));

    connect(m_view, &QWebEngineView::loadStarted, this, &WebBrowser::loadStarted);
    connect(m_view, &QWebEngineView::loadFinished, this, &WebBrowser::loadFinished);
    connect(m_view, &QWebEngineView::urlChanged, this, [this](const QUrl &url) { emit urlChanged(url.toString()); });
    connect(m_view->page(), &QWebEnginePage::linkHovered, this, &WebBrowser::linkHovered);
    // The page enables its own Back, Forward and Stop from its history and its loading.
    for (auto action : { QWebEnginePage::Back, QWebEnginePage::Forward, QWebEnginePage::Stop })
        connect(m_view->pageAction(action), &QAction::changed, this, &WebBrowser::navigationChanged);
}

WebEngineBrowser::~WebEngineBrowser()
{
    // Pages must go before the profile they use.
    for (const auto &popup : std::as_const(m_popups))
        delete popup.data();
    delete m_view.data();
    delete m_profile;
}

QWidget *WebEngineBrowser::widget()
{
    return m_view;
}

QWidget *WebEngineBrowser::keyTarget()
{
    return m_view ? m_view->focusProxy() : nullptr;
}

void WebEngineBrowser::navigate(const QString &address)
{
    m_view->setUrl(QUrl::fromUserInput(address));
}

bool WebEngineBrowser::goBack()
{
    if (!m_view->history()->canGoBack())
        return false;
    m_view->back();
    return true;
}

bool WebEngineBrowser::goForward()
{
    if (!m_view->history()->canGoForward())
        return false;
    m_view->forward();
    return true;
}

void WebEngineBrowser::stop()
{
    m_view->stop();
}

void WebEngineBrowser::refresh()
{
    m_view->reload();
}

QString WebEngineBrowser::locationUrl() const
{
    return m_view ? m_view->url().toString() : QString();
}

bool WebEngineBrowser::canGoBack() const
{
    return m_view && m_view->pageAction(QWebEnginePage::Back)->isEnabled();
}

bool WebEngineBrowser::canGoForward() const
{
    return m_view && m_view->pageAction(QWebEnginePage::Forward)->isEnabled();
}

bool WebEngineBrowser::isLoading() const
{
    return m_view && m_view->pageAction(QWebEnginePage::Stop)->isEnabled();
}

void WebEngineBrowser::setFocus()
{
    // Only what is missing: a focus that goes out and comes back makes the
    // page blur and restore its field, and keys typed meanwhile are lost.
    if (QWidget *top = m_view->window(); top && !top->isActiveWindow())
        top->activateWindow();
    QWidget *proxy = m_view->focusProxy();
    if (proxy && proxy->hasFocus())
        return;
    m_view->setFocus(Qt::OtherFocusReason);
    if (proxy)
        proxy->setFocus(Qt::OtherFocusReason);
}

void WebEngineBrowser::typeText(const QString &text)
{
    typeWhenFocused(text, kFocusTries, 0);
}

void WebEngineBrowser::typeWhenFocused(const QString &text, int triesLeft, int focusedChecks)
{
    // The page takes the focus back a moment after the view got it and gives
    // it to the field the user clicked; the first keys after that can still
    // go astray while the field settles. The keys wait until the page has
    // had the focus on two checks in a row.
    QPointer<WebEngineBrowser> self(this);
    runJavaScript(
        QStringLiteral("document.hasFocus()"), [self, text, triesLeft, focusedChecks](const QVariant &focused) {
            if (!self)
                return;
            const int checks = focused.toBool() ? focusedChecks + 1 : 0;
            if (checks >= 2 || triesLeft <= 1) {
                sendKeystrokes(self->keyTarget(), text);
                return;
            }
            QTimer::singleShot(kFocusRetryMs, self, [self, text, triesLeft, checks] {
                if (self)
                    self->typeWhenFocused(text, triesLeft - 1, checks);
            });
        });
}

void WebEngineBrowser::runJavaScript(const QString &script, ScriptCallback callback)
{
    run(script, QWebEngineScript::ApplicationWorld, std::move(callback));
}

void WebEngineBrowser::runJavaScriptInPage(const QString &script, ScriptCallback callback)
{
    run(script, QWebEngineScript::MainWorld, std::move(callback));
}

void WebEngineBrowser::run(const QString &script, quint32 world, ScriptCallback callback)
{
    QPointer<WebEngineBrowser> self(this);
    m_view->page()->runJavaScript(script, world, [self, callback](const QVariant &result) {
        // The page may be going away; then nothing is reported.
        if (self && callback)
            callback(result);
    });
}

QList<QWebEngineView *> WebEngineBrowser::popups() const
{
    QList<QWebEngineView *> out;
    for (const auto &p : m_popups)
        if (p)
            out.append(p);
    return out;
}

QWebEngineView *WebEngineBrowser::createPopup()
{
    auto *popup = new QWebEngineView();
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setPage(new Page(m_profile, this, popup));
    connect(popup->page(), &QWebEnginePage::windowCloseRequested, popup, &QWidget::close);
    popup->resize(800, 600);
    popup->show();
    m_popups.append(popup);
    return popup;
}
