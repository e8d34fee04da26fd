#pragma once

#include "browser/auto_insert_controller.h"
#include "panels/message_editor_panel.h"
#include "platform/webengine_browser.h"
#include "support/script_server.h"
#include "support/test_app.h"

#include <QComboBox>
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
    return done.wait(ms);
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

// The main window with a real browser of type B, shown, and a loopback
// server for its pages.
template <typename B = WebEngineBrowser> struct BrowserApp {
    ScriptServer server;
    TestApp t;
    MainWindow *w = nullptr;
    B *browser = nullptr;

    BrowserApp()
    {
        w = &t.start([this](QObject *parent) {
            browser = new B(false, parent);
            return browser;
        });
        w->resize(1000, 760);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    QString url(const QByteArray &path) const { return server.base() + QString::fromLatin1(path); }
    bool load(const QByteArray &path) { return loadAndWait(browser, url(path)); }
    QVariant eval(const QString &script) { return evalInPage(browser->view(), script); }
    QString value(const char *id)
    {
        return eval(QStringLiteral("document.getElementById('%1').value").arg(id)).toString();
    }
    AutoInsertController &controller() const { return w->autoInsertController(); }
    // Runs Auto-Insert with the message and markup; false when it did not end.
    bool autoInsert(const QString &message, const QString &markup, bool *written)
    {
        w->messageEditor().setMessageText(message);
        t.find<QComboBox>("cmbConvert")->setCurrentText(markup);
        QSignalSpy done(&controller(), &AutoInsertController::autoInsertDone);
        t.click("cmdMessage");
        if (!done.wait(15000) || done.size() != 1)
            return false;
        *written = done.first().at(0).toBool();
        return true;
    }
};
