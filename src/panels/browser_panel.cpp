#include "panels/browser_panel.h"

#include "platform/web_browser.h"
#include "ui/placement.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>

namespace {
constexpr int kViewTop = 1140;
}

BrowserPanel::BrowserPanel(WebBrowser &browser, QWidget *parent)
    : QGroupBox(parent)
    , m_browser(browser)
{
    setObjectName(QStringLiteral("Frame2"));
    setTitle(QStringLiteral("Browser"));
    makeLabel(this, "Label5", QStringLiteral("URL:"), 120, 300, 1215, 315);
    m_addressBox = makeControl<QLineEdit>(this, "Text5", 540, 240, 4875, 315);
    m_goButton = makePictureButton(this, "Command3", QStringLiteral("Go"), QStringLiteral("browse the entered url"),
        QStyle::SP_MediaPlay, 5460, 240, 795, 375, false);
    auto *back = makePictureButton(this, "Command4", QStringLiteral("Back"), QStringLiteral("back"),
        QStyle::SP_ArrowBack, 540, 600, 855, 435, false);
    auto *forward = makePictureButton(this, "Command5", QStringLiteral("Forward"), QStringLiteral("forward"),
        QStyle::SP_ArrowForward, 1440, 600, 855, 435, false);
    auto *stop = makePictureButton(this, "Command6", QStringLiteral("Stop"), QStringLiteral("stop"),
        QStyle::SP_BrowserStop, 2340, 600, 795, 435, false);
    auto *refresh = makePictureButton(this, "Command7_1", QStringLiteral("Refresh"), QStringLiteral("refresh"),
        QStyle::SP_BrowserReload, 3180, 600, 855, 435, false);
    // The navigation buttons are too narrow for a picture beside the caption.
    for (QToolButton *b : { back, forward, stop, refresh })
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_noPopupsBox = makeControl<QCheckBox>(this, "Check1", 4140, 780, 1635, 255);
    m_noPopupsBox->setText(QStringLiteral("No Popups"));
    m_noPopupsBox->setChecked(true);
    makeSkinLabelModel(this, "SkinLabel3_0");

    if (QWidget *view = m_browser.widget()) {
        view->setParent(this);
        view->setObjectName(QStringLiteral("WebBrowser1"));
        placeInTwips(view, 120, kViewTop, 6135, 5595);
        view->show();
    }

    connect(buttonAction(m_goButton, "goToAddress"), &QAction::triggered, this, &BrowserPanel::goToAddress);
    connect(buttonAction(back, "goBack"), &QAction::triggered, this, &BrowserPanel::goBack);
    connect(buttonAction(forward, "goForward"), &QAction::triggered, this, &BrowserPanel::goForward);
    connect(buttonAction(stop, "stopLoading"), &QAction::triggered, this, &BrowserPanel::stopLoading);
    connect(buttonAction(refresh, "refreshPage"), &QAction::triggered, this, &BrowserPanel::refreshPage);
    // Enter in the address box is Go; the key itself is not swallowed.
    connect(m_addressBox, &QLineEdit::returnPressed, this, &BrowserPanel::goToAddress);

    connect(&m_browser, &WebBrowser::statusTextChange, this, [this](const QString &text) { emit statusText(2, text); });
    connect(&m_browser, &WebBrowser::downloadBegin, this, [this] { emit statusText(1, QStringLiteral("Connecting")); });
    connect(&m_browser, &WebBrowser::titleChange, this, &BrowserPanel::showLocation);
    connect(&m_browser, &WebBrowser::newWindow2, this, [this](bool *cancel) {
        if (m_noPopupsBox->isChecked())
            *cancel = true;
    });
    connect(&m_browser, &WebBrowser::downloadComplete, this, &BrowserPanel::onPageLoaded);
}

void BrowserPanel::fitTo(int width, int height, int viewWidth, int viewHeight, int addressWidth, int goLeft)
{
    resizeInTwips(this, width, height);
    if (QWidget *view = m_browser.widget())
        resizeInTwips(view, viewWidth, viewHeight);
    setWidthInTwips(m_addressBox, addressWidth);
    m_goButton->move(twipsToPixels(goLeft), m_goButton->y());
}

void BrowserPanel::goToAddress()
{
    // The text goes to the browser as it stands: no scheme is added.
    m_browser.navigate(m_addressBox->text());
}

void BrowserPanel::goBack()
{
    m_browser.goBack();
}

void BrowserPanel::goForward()
{
    m_browser.goForward();
}

void BrowserPanel::stopLoading()
{
    m_browser.stop();
}

void BrowserPanel::refreshPage()
{
    m_browser.refresh();
}

void BrowserPanel::showLocation()
{
    m_addressBox->setText(m_browser.locationUrl());
}

void BrowserPanel::onPageLoaded()
{
    const QString url = m_browser.locationUrl();
    m_addressBox->setText(url);
    emit statusText(1, QStringLiteral("Complete"));
    emit pageLoaded(url);
}
