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

// A browser of its own on the start page.
struct StartPage {
    WebEngineBrowser browser { false };
    RequestRecorder requests;
    StartPage()
    {
        browser.view()->page()->profile()->setUrlRequestInterceptor(&requests);
        browser.widget()->resize(800, 600);
        browser.widget()->show();
    }
    ~StartPage() { browser.view()->page()->profile()->setUrlRequestInterceptor(nullptr); }
    QVariant eval(const QString &script) { return evalInPage(browser.view(), script); }
};
} // namespace

TEST(StartPage, LoadsFromTheProgramInTheSkinsColoursWithoutNetwork)
{
    StartPage page;
    ASSERT_TRUE(loadAndWait(&page.browser, startPageAddress()));
    EXPECT_EQ(page.browser.locationUrl(), "qrc:/start/start.html");
    EXPECT_TRUE(page.eval("document.body.innerText").toString().contains("Auto-Insert")) << "the page is all there";
    EXPECT_TRUE(waitFor([&] { return page.eval("document.querySelector('img').naturalWidth").toInt() == 64; }))
        << "the icon is in the resource too";

    const Skin skin;
    const QList<QPair<const char *, QColor>> colours = { { "body).backgroundColor", skin.backColor() },
        { "body).color", skin.foreColor() }, { "querySelector('header')).backgroundColor", skin.panelColor() } };
    for (const auto &[style, colour] : colours)
        EXPECT_EQ(page.eval(QStringLiteral("getComputedStyle(document.%1").arg(style)).toString(), cssColor(colour))
            << style;

    ASSERT_FALSE(page.requests.urls.isEmpty());
    for (const QUrl &url : std::as_const(page.requests.urls))
        EXPECT_EQ(url.scheme(), "qrc") << qPrintable(url.toString());
}

TEST(StartPage, HelpLinksAskTheProgramForItsHelp)
{
    StartPage page;
    ASSERT_TRUE(loadAndWait(&page.browser, startPageAddress()));
    QSignalSpy help(&page.browser, &WebBrowser::helpRequested);
    const QVariantList box
        = page.eval("(() => { const r = document.getElementById('help-link').getBoundingClientRect();"
                    " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
              .toList();
    ASSERT_EQ(box.size(), 2);
    // A click of the user's: pages may not leave for another scheme on their own.
    QTest::mouseClick(page.browser.keyTarget(), Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
    ASSERT_TRUE(help.wait(10000));
    EXPECT_EQ(help.count(), 1);
    QTest::qWait(200);
    EXPECT_EQ(page.browser.locationUrl(), "qrc:/start/start.html") << "the page stays";
}
