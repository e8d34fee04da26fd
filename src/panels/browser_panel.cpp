#include "panels/browser_panel.h"

#include "platform/list_records.h"
#include "platform/web_browser.h"
#include "ui/controls.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

BrowserPanel::BrowserPanel(WebBrowser &browser, QWidget *parent)
    : QGroupBox(parent)
    , m_browser(browser)
{
    setObjectName(QStringLiteral("Frame2"));
    setTitle(QStringLiteral("Browser"));
    m_addressBox = named<QLineEdit>(this, "Text5");
    auto *urlLabel = labelFor(this, "Label5", QStringLiteral("URL:"), m_addressBox);
    auto *go = pictureButton(this, "Command3", QStringLiteral("Go"), QStringLiteral("browse the entered url"),
        QStyle::SP_MediaPlay, Qt::ToolButtonTextBesideIcon);
    // The navigation buttons show their captions only, as they always did.
    auto *back = pictureButton(
        this, "Command4", QStringLiteral("Back"), QStringLiteral("back"), QStyle::SP_ArrowBack, Qt::ToolButtonTextOnly);
    auto *forward = pictureButton(this, "Command5", QStringLiteral("Forward"), QStringLiteral("forward"),
        QStyle::SP_ArrowForward, Qt::ToolButtonTextOnly);
    auto *stop = pictureButton(this, "Command6", QStringLiteral("Stop"), QStringLiteral("stop"), QStyle::SP_BrowserStop,
        Qt::ToolButtonTextOnly);
    auto *refresh = pictureButton(this, "Command7_1", QStringLiteral("Refresh"), QStringLiteral("refresh"),
        QStyle::SP_BrowserReload, Qt::ToolButtonTextOnly);
    m_noPopupsBox = named<QCheckBox>(this, "Check1");
    m_noPopupsBox->setText(QStringLiteral("No Popups"));
    m_noPopupsBox->setChecked(true);

    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(urlLabel);
    addressRow->addWidget(m_addressBox, 1);
    addressRow->addWidget(go);
    auto *buttonRow = new QHBoxLayout;
    for (QToolButton *b : { back, forward, stop, refresh })
        buttonRow->addWidget(b);
    buttonRow->addWidget(m_noPopupsBox);
    buttonRow->addStretch(1);
    auto *column = new QVBoxLayout(this);
    column->addLayout(addressRow);
    column->addLayout(buttonRow);
    if (QWidget *view = m_browser.widget()) {
        view->setParent(this);
        view->setObjectName(QStringLiteral("WebBrowser1"));
        view->setMinimumSize(160, 120);
        view->setAccessibleName(QStringLiteral("Web page"));
        column->addWidget(view, 1);
        view->show();
    }

    auto *goAction = command(this, "goToAddress", QStringLiteral("Go"));
    m_back = command(this, "goBack", QStringLiteral("Back"), QKeySequence::Back);
    m_forward = command(this, "goForward", QStringLiteral("Forward"), QKeySequence::Forward);
    m_stop = command(this, "stopLoading", QStringLiteral("Stop"), QKeySequence(Qt::Key_Escape));
    auto *refreshAction = command(this, "refreshPage", QStringLiteral("Refresh"), QKeySequence::Refresh);
    auto *focusAddressAction
        = command(this, "focusAddress", QStringLiteral("Address"), QKeySequence(Qt::CTRL | Qt::Key_L));
    runsCommand(go, goAction);
    runsCommand(back, m_back);
    runsCommand(forward, m_forward);
    runsCommand(stop, m_stop);
    runsCommand(refresh, refreshAction);
    addActions({ goAction, m_back, m_forward, m_stop, refreshAction, focusAddressAction });

    connect(goAction, &QAction::triggered, this, &BrowserPanel::goToAddress);
    // No history in that direction: nothing happens, and nothing is said.
    connect(m_back, &QAction::triggered, &m_browser, [this] { m_browser.goBack(); });
    connect(m_forward, &QAction::triggered, &m_browser, [this] { m_browser.goForward(); });
    connect(m_stop, &QAction::triggered, &m_browser, &WebBrowser::stop);
    connect(refreshAction, &QAction::triggered, &m_browser, &WebBrowser::refresh);
    connect(focusAddressAction, &QAction::triggered, this, &BrowserPanel::focusAddress);
    // Enter in the address box is Go; the key itself is not swallowed.
    connect(m_addressBox, &QLineEdit::returnPressed, this, &BrowserPanel::goToAddress);

    connect(&m_browser, &WebBrowser::linkHovered, this, &BrowserPanel::linkHovered);
    connect(&m_browser, &WebBrowser::loadStarted, this, &BrowserPanel::loadStarted);
    connect(&m_browser, &WebBrowser::urlChanged, this, &BrowserPanel::showLocation);
    connect(&m_browser, &WebBrowser::newWindowRequested, this, [this](NewWindowRequest &request) {
        if (m_noPopupsBox->isChecked())
            request.reject();
    });
    connect(&m_browser, &WebBrowser::loadFinished, this, &BrowserPanel::onPageLoaded);
    connect(&m_browser, &WebBrowser::navigationChanged, this, &BrowserPanel::followNavigation);
    followNavigation();
}

void BrowserPanel::goToAddress()
{
    const QString address = m_addressBox->text();
    if (const QString refusal = addressRefusal(address); !refusal.isEmpty()) {
        emit addressRefused(QStringLiteral("Not opened: %1").arg(refusal));
        return;
    }
    // The text goes to the browser as it stands: no scheme is added.
    m_browser.navigate(address);
}

void BrowserPanel::focusAddress()
{
    m_addressBox->setFocus(Qt::ShortcutFocusReason);
    m_addressBox->selectAll();
}

void BrowserPanel::showLocation(const QString &url)
{
    m_addressBox->setText(url);
}

void BrowserPanel::onPageLoaded()
{
    const QString url = m_browser.locationUrl();
    m_addressBox->setText(url);
    emit pageLoaded(url);
}

void BrowserPanel::followNavigation()
{
    m_back->setEnabled(m_browser.canGoBack());
    m_forward->setEnabled(m_browser.canGoForward());
    m_stop->setEnabled(m_browser.isLoading());
}
