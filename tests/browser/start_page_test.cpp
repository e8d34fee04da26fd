#include "browser/browser_helpers.h"
#include "ui/skin.h"
#include "ui/start_page.h"

#include <gtest/gtest.h>

#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

namespace {
// Records every request the page makes, its own address included.
class RequestRecorder : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo &info) override { urls.append(info.requestUrl()); }
    QList<QUrl> urls;
};

QString cssColor(const QColor &c)
{
    return QStringLiteral("rgb(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}
} // namespace

TEST(StartPage, LoadsFromTheProgramInTheSkinsColoursWithoutNetwork)
{
    WebEngineBrowser browser(false);
    RequestRecorder requests;
    browser.view()->page()->profile()->setUrlRequestInterceptor(&requests);
    browser.widget()->resize(800, 600);
    browser.widget()->show();
    ASSERT_TRUE(loadAndWait(&browser, startPageAddress()));
    EXPECT_EQ(browser.locationUrl(), "qrc:/start/start.html");
    EXPECT_EQ(browser.view()->title(), "Welcome to Postmaven");
    const QString text = evalInPage(browser.view(), "document.body.innerText").toString();
    for (const char *part : { "What Postmaven does", "Write a message.", "Open your forum.", "Auto-Insert." })
        EXPECT_TRUE(text.contains(part)) << part;
    EXPECT_TRUE(waitFor([&] {
        return evalInPage(browser.view(), "document.querySelector('img').naturalWidth").toInt() == 64;
    })) << "the icon is in the resource too";

    const Skin skin;
    EXPECT_EQ(evalInPage(browser.view(), "getComputedStyle(document.body).backgroundColor").toString(),
        cssColor(skin.backColor()));
    EXPECT_EQ(
        evalInPage(browser.view(), "getComputedStyle(document.body).color").toString(), cssColor(skin.foreColor()));
    EXPECT_EQ(
        evalInPage(browser.view(), "getComputedStyle(document.querySelector('header')).backgroundColor").toString(),
        cssColor(skin.panelColor()));

    ASSERT_FALSE(requests.urls.isEmpty());
    for (const QUrl &url : std::as_const(requests.urls))
        EXPECT_EQ(url.scheme(), "qrc") << qPrintable(url.toString());
    browser.view()->page()->profile()->setUrlRequestInterceptor(nullptr);
}

TEST(StartPage, HelpLinksAskTheProgramForItsHelp)
{
    WebEngineBrowser browser(false);
    browser.widget()->resize(800, 600);
    browser.widget()->show();
    ASSERT_TRUE(loadAndWait(&browser, startPageAddress()));
    QSignalSpy help(&browser, &WebBrowser::helpRequested);
    const QVariantList box = evalInPage(browser.view(),
        "(() => { const r = document.getElementById('help-link').getBoundingClientRect();"
        " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                                 .toList();
    ASSERT_EQ(box.size(), 2);
    const QPoint at(box[0].toInt(), box[1].toInt());
    // A click of the user's: pages may not leave for another scheme on their own.
    QTest::mouseClick(browser.keyTarget(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(help.wait(10000));
    EXPECT_EQ(help.count(), 1);
    QTest::qWait(200);
    EXPECT_EQ(browser.locationUrl(), "qrc:/start/start.html") << "the page stays";
}
