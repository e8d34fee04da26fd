#include "browser/browser_helpers.h"
#include "browser/page_scripts.h"

#include <gtest/gtest.h>

TEST(BrowserControl, EventsLocationAndBody)
{
    ScriptServer server;
    server.route("/page",
        htmlPage("<html><head><title>Forum</title></head><body><p id=x>Hello there</p>"
                 "<a href='/other'>link</a></body></html>"));
    WebEngineBrowser browser(false);
    browser.widget()->resize(800, 600);
    browser.widget()->show();
    QStringList events;
    QObject::connect(&browser, &WebBrowser::loadStarted, [&] { events.append("loadStarted"); });
    QObject::connect(&browser, &WebBrowser::urlChanged, [&] { events.append("urlChanged"); });
    QObject::connect(&browser, &WebBrowser::loadFinished, [&] { events.append("loadFinished"); });
    ASSERT_TRUE(loadAndWait(&browser, server.base() + "/page"));
    ASSERT_GE(events.size(), 3);
    EXPECT_TRUE(events.contains("loadStarted"));
    EXPECT_TRUE(events.contains("urlChanged"));
    EXPECT_EQ(events.last(), "loadFinished");
    EXPECT_LT(events.indexOf("urlChanged"), events.lastIndexOf("loadFinished"));
    EXPECT_EQ(browser.locationUrl(), server.base() + "/page");

    QVariant body;
    QSignalSpy got(&browser, &WebBrowser::destroyed);
    bool answered = false;
    browser.runJavaScript(PageScripts::readBody(), [&](const QVariant &v) {
        body = v;
        answered = true;
    });
    ASSERT_TRUE(waitFor([&] { return answered; }));
    const QVariantMap map = body.toMap();
    EXPECT_TRUE(map.value("outer").toString().startsWith("<body>"));
    EXPECT_TRUE(map.value("inner").toString().contains("Hello there"));
    EXPECT_FALSE(map.value("inner").toString().contains("<body>"));

    EXPECT_FALSE(browser.goForward()) << "no history in that direction";
}

TEST(BrowserControl, NewWindowsRefusedOrAllowed)
{
    ScriptServer server;
    server.route("/opener", htmlPage("<html><body>opener</body></html>"));
    server.route("/popup", htmlPage("<html><body>pop-up</body></html>"));
    WebEngineBrowser browser(false);
    browser.widget()->show();
    bool refuse = true;
    int asked = 0;
    QObject::connect(&browser, &WebBrowser::newWindowRequested, [&](NewWindowRequest &request) {
        ++asked;
        if (refuse)
            request.reject();
    });
    ASSERT_TRUE(loadAndWait(&browser, server.base() + "/opener"));
    evalInPage(browser.view(), "window.open('/popup'); true");
    ASSERT_TRUE(waitFor([&] { return asked == 1; }));
    QTest::qWait(200);
    EXPECT_TRUE(browser.popups().isEmpty()) << "a refused window stays refused";

    refuse = false;
    evalInPage(browser.view(), "window.open('/popup'); true");
    ASSERT_TRUE(waitFor([&] { return !browser.popups().isEmpty(); }));
    QWebEngineView *popup = browser.popups().first();
    ASSERT_TRUE(waitFor([&] { return popup->url().path() == "/popup"; }));
}
