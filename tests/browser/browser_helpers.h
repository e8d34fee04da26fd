#pragma once

#include "platform/webengine_browser.h"
#include "support/script_server.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

// Pages served on loopback with a proper HTML type.
inline ScriptServer::Script htmlPage(const QByteArray &html)
{
    return ScriptServer::response(html, "Content-Type: text/html; charset=utf-8\r\n");
}

// Runs a script in the page's own world and waits for its result.
inline QVariant evalInPage(QWebEngineView *view, const QString &script, int ms = 10000)
{
    QVariant result;
    bool done = false;
    QEventLoop loop;
    view->page()->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant &v) {
        result = v;
        done = true;
        loop.quit();
    });
    if (!done) {
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return result;
}

inline bool loadAndWait(WebBrowser *browser, const QString &url, int ms = 20000)
{
    QSignalSpy done(browser, &WebBrowser::loadFinished);
    browser->navigate(url);
    const bool ok = done.wait(ms);
    if (qEnvironmentVariableIsSet("PM_DEBUG"))
        fprintf(stderr, "load %s -> %d now %s\n", qPrintable(url), ok, qPrintable(browser->locationUrl()));
    return ok;
}

// Waits until cond() holds, processing events.
template <typename F> bool waitFor(F cond, int ms = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}
