#include "app/main_window.h"

#include "app/first_run.h"
#include "app/identity.h"
#include "browser/form_scanner.h"
#include "browser/message_writer.h"
#include "browser/page_scripts.h"
#include "messages/link_converter.h"
#include "messages/message_store.h"
#include "messages/saved_messages_window.h"
#include "messages/template_editor.h"
#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "platform/key_sender.h"
#include "platform/settings_store.h"
#include "platform/web_browser.h"
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "ui/skin.h"
#include "watch/page_fetch.h"
#include "watch/reply_check.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>

namespace {

const QString kData = QStringLiteral("data");
const QString kSettings = QStringLiteral("Settings");
const QString kPostsFile = QStringLiteral("posts.txt");
const QString kForumsFile = QStringLiteral("posts2.txt");
const QString kSizesFile = QStringLiteral("sizes.txt");
const QString kHtmlTempFile = QStringLiteral("htmltemp.txt");

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

template <typename T> T *make(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    place(w, left, top, width, height);
    return w;
}

QToolButton *pictureButton(QWidget *parent, const char *name, const QString &caption, const QString &tip,
    QStyle::StandardPixmap icon, int left, int top, int width, int height, bool textUnder)
{
    auto *b = make<QToolButton>(parent, name, left, top, width, height);
    b->setText(caption);
    b->setToolTip(tip);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(textUnder ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(false);
    return b;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    auto *l = make<QLabel>(parent, name, left, top, width, height);
    l->setText(text);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QString toCrLf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

} // namespace

MainWindow::MainWindow(AppServices services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildControls();
    buildMenus();

    m_browser = m_services.createBrowser(this);
    QWidget *view = m_browser->widget();
    view->setParent(Frame2);
    view->setObjectName(QStringLiteral("WebBrowser1"));
    place(view, 120, Design::webBrowserTop, 6135, 5595);
    view->show();
    connectBrowser();
    m_writer = new MessageWriter(m_browser, this);

    m_sizeFetch = new PageFetch(this);
    m_sizeFetch->setObjectName(QStringLiteral("wscSizes"));
    m_postFetch = new PageFetch(this);
    m_postFetch->setObjectName(QStringLiteral("wscPosts"));
    for (PageFetch *f : { m_sizeFetch, m_postFetch }) {
        f->setDefaultPort(m_services.fetchPort);
        f->setTimeoutMs(m_services.fetchTimeoutMs);
        f->setIgnoreSslErrors(m_services.trustAnyCertificate);
    }
    m_check = new ReplyCheckRun(m_posts, *m_postFetch, this);
    connectWatch();
    resize(twipsToPixels(11145), twipsToPixels(8985 + 300));
}

MainWindow::~MainWindow()
{
    for (QWidget *w : { static_cast<QWidget *>(m_form3.data()), static_cast<QWidget *>(m_frmCustom.data()),
             static_cast<QWidget *>(m_form8.data()), static_cast<QWidget *>(m_frmAbout.data()) })
        delete w;
}

void MainWindow::buildControls()
{
    central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    QWidget *c = central;

    // The frames lie over the forum/post tab strip, which is not their container.
    TabStrip2 = make<QTabBar>(c, "TabStrip2", 60, 5040, 3735, 4815);
    TabStrip2->addTab(QStringLiteral("Your Forums"));
    TabStrip2->addTab(QStringLiteral("Your Posts"));
    TabStrip2->setDrawBase(false);
    TabStrip2->setExpanding(false);

    cmdMessage = pictureButton(c, "cmdMessage", QStringLiteral("Auto-Insert"),
        QStringLiteral("Once you are on the page where you can post your message, click here to insert it."),
        QStyle::SP_ArrowForward, 60, 60, 1600, 800, false);
    Label2 = label(c, "Label2", QStringLiteral("as"), 1740, 540, 255, 255);
    cmbConvert = make<QComboBox>(c, "cmbConvert", 2100, 480, 1635, 315);
    cmbConvert->setEditable(false);
    cmbConvert->setToolTip(QStringLiteral("Select the format you would like to use when your message is inserted."));
    cmdPreview = pictureButton(c, "cmdPreview", QStringLiteral("Preview"),
        QStringLiteral("See a preview of your message in the currently selected format"),
        QStyle::SP_FileDialogContentsView, 3840, 60, 800, 800, true);
    cmdCopy = pictureButton(c, "cmdCopy", QStringLiteral("Copy"),
        QStringLiteral("Copy your message to the clipboard in the selected format"), QStyle::SP_FileDialogNewFolder,
        4680, 60, 800, 800, true);
    cmdSave = pictureButton(c, "cmdSave", QStringLiteral("Save"), QStringLiteral("Save the current message"),
        QStyle::SP_DialogSaveButton, 5520, 60, 800, 800, true);
    cmdLoad = pictureButton(c, "cmdLoad", QStringLiteral("Load"), QStringLiteral("Load a saved message"),
        QStyle::SP_DialogOpenButton, 6360, 60, 800, 800, true);
    cmdOptions = pictureButton(c, "cmdOptions", QStringLiteral("Options"), QStringLiteral("Options"),
        QStyle::SP_FileDialogDetailedView, 7200, 60, 800, 800, true);
    Command1 = pictureButton(c, "Command1", QStringLiteral("Visit "), QStringLiteral("Visit us!"),
        QStyle::SP_DirHomeIcon, 8040, 60, 2115, 795, false);

    Frame1 = make<QGroupBox>(c, "Frame1", 60, 900, 3735, 4095);
    Frame1->setTitle(QStringLiteral("Message Editor"));
    Frame2 = make<QGroupBox>(c, "Frame2", 3840, 900, 6375, 7395);
    Frame2->setTitle(QStringLiteral("Browser"));
    Frame4 = make<QFrame>(c, "Frame4", 180, 5460, 3615, 4335);
    Frame3 = make<QFrame>(c, "Frame3", 180, 5400, 3615, 4335);
    Frame3->hide();

    // Message Editor
    Label1 = label(Frame1, "Label1", QStringLiteral("Subject:"), 120, 360, 735, 255);
    SkinLabel6 = label(Frame1, "SkinLabel6", QStringLiteral("Subject:"), 120, 360, 735, 195);
    SkinLabel6->setProperty("skinLabel", true);
    txtSubject = make<QLineEdit>(Frame1, "txtSubject", 900, 300, 1995, 285);
    const char *pasteTips[4] = {
        "Click within the Subject field on the form you want to paste into, then click here.",
        "Click within the Username field on the form you want to paste into, then click here.",
        "Click within the Password field on the form you want to paste into, then click here.",
        "Click within the message area on the form you want to paste into, then click here.",
    };
    cmdPaste[0] = make<QPushButton>(Frame1, "cmdPaste_0", 2940, 300, 675, 315);
    Label7 = label(Frame1, "Label7", QStringLiteral("Message:"), 120, 660, 975, 195);
    SkinLabel7 = label(Frame1, "SkinLabel7", QStringLiteral("Message:"), 120, 660, 795, 195);
    SkinLabel7->setProperty("skinLabel", true);
    txtMessage = make<QPlainTextEdit>(Frame1, "txtMessage", 120, 900, 3495, 1695);
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cmdPaste[3] = make<QPushButton>(Frame1, "cmdPaste_3", 120, 2640, 3495, 375);

    // Browser
    Label5 = label(Frame2, "Label5", QStringLiteral("URL:"), 120, 300, 1215, 315);
    Text5 = make<QLineEdit>(Frame2, "Text5", 540, 240, 4875, 315);
    Command3 = pictureButton(Frame2, "Command3", QStringLiteral("Go"), QStringLiteral("browse the entered url"),
        QStyle::SP_MediaPlay, 5460, 240, 795, 375, false);
    Command4 = pictureButton(Frame2, "Command4", QStringLiteral("Back"), QStringLiteral("back"), QStyle::SP_ArrowBack,
        540, 600, 855, 435, false);
    Command5 = pictureButton(Frame2, "Command5", QStringLiteral("Forward"), QStringLiteral("forward"),
        QStyle::SP_ArrowForward, 1440, 600, 855, 435, false);
    Command6 = pictureButton(Frame2, "Command6", QStringLiteral("Stop"), QStringLiteral("stop"), QStyle::SP_BrowserStop,
        2340, 600, 795, 435, false);
    Command7_1 = pictureButton(Frame2, "Command7_1", QStringLiteral("Refresh"), QStringLiteral("refresh"),
        QStyle::SP_BrowserReload, 3180, 600, 855, 435, false);
    // The navigation buttons are small: a small picture leaves room for the caption.
    // The navigation buttons are too narrow for a picture beside the caption.
    for (QToolButton *b : { Command4, Command5, Command6, Command7_1 })
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Check1 = make<QCheckBox>(Frame2, "Check1", 4140, 780, 1635, 255);
    Check1->setText(QStringLiteral("No Popups"));
    Check1->setChecked(true);
    lstLogins = make<QListWidget>(Frame2, "lstLogins", 600, 6780, 3735, 450);
    lstLogins->hide();

    // Your Forums
    cmdAdd2 = make<QPushButton>(Frame4, "cmdAdd2", 60, 240, 1695, 375);
    cmdAdd2->setText(QStringLiteral("Add Current URL"));
    cmdAdd2->setToolTip(QStringLiteral("Watch the current URL"));
    cmdDel2 = make<QPushButton>(Frame4, "cmdDel2", 1860, 240, 1695, 375);
    cmdDel2->setText(QStringLiteral("Remove URL"));
    SkinLabel4 = label(Frame4, "SkinLabel4", QStringLiteral("Username:"), 60, 720, 975, 195);
    SkinLabel4->setProperty("skinLabel", true);
    txtUsername = make<QLineEdit>(Frame4, "txtUsername", 1080, 660, 1755, 315);
    txtUsername->setEnabled(false);
    cmdPaste[1] = make<QPushButton>(Frame4, "cmdPaste_1", 2880, 660, 675, 315);
    SkinLabel5 = label(Frame4, "SkinLabel5", QStringLiteral("Password:"), 60, 1080, 975, 255);
    SkinLabel5->setProperty("skinLabel", true);
    txtPassword = make<QLineEdit>(Frame4, "txtPassword", 1080, 1020, 1755, 285);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setEnabled(false);
    cmdPaste[2] = make<QPushButton>(Frame4, "cmdPaste_2", 2880, 1020, 675, 315);
    lstPosts2 = make<QListWidget>(Frame4, "lstPosts2", 60, 1380, 3435, 1425);

    // Your Posts
    cmdAdd = pictureButton(Frame3, "cmdAdd", QStringLiteral("Watch This Post"), QStringLiteral("Watch the current URL"),
        QStyle::SP_DialogYesButton, 60, 240, 1695, 495, false);
    cmdDel = pictureButton(Frame3, "cmdDel", QStringLiteral("Remove Watch"), QString(), QStyle::SP_DialogNoButton, 1800,
        240, 1695, 495, false);
    TabStrip1 = make<QTabBar>(Frame3, "TabStrip1", 60, 780, 3495, 315);
    TabStrip1->addTab(QStringLiteral("Show All"));
    TabStrip1->setTabData(0, QStringLiteral("all"));
    TabStrip1->addTab(QStringLiteral("New Replies "));
    TabStrip1->setTabData(1, QStringLiteral("replies"));
    TabStrip1->setExpanding(false);
    cmdReplies = make<QPushButton>(Frame3, "cmdReplies", 60, 1140, 3435, 315);
    cmdReplies->setText(QStringLiteral("Check for new replies"));
    cmdReplies->hide();
    lstPosts = make<QListWidget>(Frame3, "lstPosts", 60, 1500, 3435, 1620);
    lstNew = make<QListWidget>(Frame3, "lstNew", 60, 1500, 3435, 1230);
    lstNew->hide();
    lstSizes = make<QListWidget>(Frame3, "lstSizes", 5160, 7800, 3735, 450);
    lstSizes->hide();

    for (int i = 0; i < 4; ++i) {
        cmdPaste[i]->setText(i == 3 ? QStringLiteral("Paste Message") : QStringLiteral("Paste"));
        cmdPaste[i]->setToolTip(QLatin1String(pasteTips[i]));
        connect(cmdPaste[i], &QPushButton::clicked, this, [this, i] { cmdPaste_Click(i); });
    }

    // Member 0 of each skin-label array: the model for new members.
    auto skinModel = [](QWidget *container, const char *name) {
        auto *l = new QLabel(container);
        l->setObjectName(QLatin1String(name));
        l->setProperty("skinLabel", true);
        l->setGeometry(0, 0, 0, 0);
        l->hide();
        return l;
    };
    SkinLabel1.append(skinModel(c, "SkinLabel1_0"));
    SkinLabel2.append(skinModel(Frame1, "SkinLabel2_0"));
    SkinLabel3.append(skinModel(Frame2, "SkinLabel3_0"));

    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    setStatusBar(bar);
    auto *first = new QLabel(bar);
    first->setObjectName(QStringLiteral("StatusBar1_panel1"));
    first->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(first, 1);
    statusPanels.append(first);

    connect(cmdMessage, &QToolButton::clicked, this, &MainWindow::cmdMessage_Click);
    connect(cmdPreview, &QToolButton::clicked, this, &MainWindow::cmdPreview_Click);
    connect(cmdCopy, &QToolButton::clicked, this, &MainWindow::cmdCopy_Click);
    connect(cmdSave, &QToolButton::clicked, this, &MainWindow::cmdSave_Click);
    connect(cmdLoad, &QToolButton::clicked, this, &MainWindow::cmdLoad_Click);
    connect(cmdOptions, &QToolButton::clicked, this, &MainWindow::cmdOptions_Click);
    connect(Command1, &QToolButton::clicked, this, &MainWindow::Command1_Click);
    connect(Command3, &QToolButton::clicked, this, &MainWindow::Command3_Click);
    connect(Command4, &QToolButton::clicked, this, &MainWindow::Command4_Click);
    connect(Command5, &QToolButton::clicked, this, &MainWindow::Command5_Click);
    connect(Command6, &QToolButton::clicked, this, &MainWindow::Command6_Click);
    connect(Command7_1, &QToolButton::clicked, this, [this] { Command7_Click(1); });
    connect(Text5, &QLineEdit::returnPressed, this, &MainWindow::Command3_Click);
    connect(cmdAdd, &QToolButton::clicked, this, &MainWindow::cmdAdd_Click);
    connect(cmdDel, &QToolButton::clicked, this, &MainWindow::cmdDel_Click);
    connect(cmdAdd2, &QPushButton::clicked, this, &MainWindow::cmdAdd2_Click);
    connect(cmdDel2, &QPushButton::clicked, this, &MainWindow::cmdDel2_Click);
    connect(cmdReplies, &QPushButton::clicked, this, &MainWindow::cmdReplies_Click);
    connect(TabStrip1, &QTabBar::currentChanged, this, &MainWindow::TabStrip1_Click);
    connect(TabStrip2, &QTabBar::currentChanged, this, &MainWindow::TabStrip2_Click);
    connect(txtSubject, &QLineEdit::textChanged, this, [this](const QString &text) {
        // The subject is kept on every change.
        m_services.settings->write(kData, QStringLiteral("lastSubject"), text);
    });
    connect(txtUsername, &QLineEdit::textChanged, this, &MainWindow::onLoginChanged);
    connect(txtPassword, &QLineEdit::textChanged, this, &MainWindow::onLoginChanged);
    connect(lstPosts2, &QListWidget::currentRowChanged, this, &MainWindow::onForumSelected);
    connect(lstPosts, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            setStatusText(2, lstPosts->item(row)->text());
    });
    connect(lstNew, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            setStatusText(2, lstNew->item(row)->text());
    });
    auto openPost = [this](QListWidgetItem *item) {
        m_watchCountdown = 4;
        m_browser->navigate(item->text());
    };
    connect(lstPosts, &QListWidget::itemDoubleClicked, this, openPost);
    connect(lstNew, &QListWidget::itemDoubleClicked, this, openPost);
    connect(lstPosts2, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem *item) { m_browser->navigate(item->text()); });
}

void MainWindow::buildMenus()
{
    auto addMenu = [this](const QString &title, const char *name, const QStringList &items, QList<QAction *> &actions,
                       const char *itemName, std::function<void(int)> handler) {
        QMenu *menu = menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        for (int i = 0; i < items.size(); ++i) {
            QAction *a = menu->addAction(items[i]);
            a->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(itemName)).arg(i));
            connect(a, &QAction::triggered, this, [handler, i] { handler(i); });
            actions.append(a);
        }
    };
    addMenu(QStringLiteral("&File"), "mnuFileMenu",
        { QStringLiteral("&New Message"), QStringLiteral("&Save Message"), QStringLiteral("&Load Message"),
            QStringLiteral("E&xit") },
        mnuFile, "mnuFile", [this](int i) { mnuFile_Click(i); });
    addMenu(QStringLiteral("&Tools"), "mnuToolsMenu",
        { QStringLiteral("&Preview"), QStringLiteral("Auto &Insert"), QStringLiteral("&Check Replies"),
            QStringLiteral("&Options"), QStringLiteral("Paste Message"), QStringLiteral("Paste Subject"),
            QStringLiteral("Paste Username"), QStringLiteral("Paste Password") },
        mnuTools, "mnuTools", [this](int i) { mnuTools_Click(i); });
    addMenu(QStringLiteral("&View"), "mnuViewMenu",
        { QStringLiteral("&Saved Messages"), QStringLiteral("&All posts"), QStringLiteral("&Replies"),
            QStringLiteral("&Templates") },
        mnuView, "mnuView", [this](int i) { mnuView_Click(i); });
    addMenu(QStringLiteral("&Help"), "mnuHelpMenu", { QStringLiteral("View &Help") }, aboutMenuItem, "aboutMenuItem",
        [this](int i) { aboutMenuItem_Click(i); });
    QMenu *about = menuBar()->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAboutMenu"));
    mnuAboutItem = about->addAction(QStringLiteral("About this software"));
    mnuAboutItem->setObjectName(QStringLiteral("mnuAboutItem"));
    connect(mnuAboutItem, &QAction::triggered, this, &MainWindow::mnuAboutItem_Click);
}

void MainWindow::connectBrowser()
{
    connect(m_browser, &WebBrowser::statusTextChange, this, [this](const QString &text) { setStatusText(2, text); });
    connect(m_browser, &WebBrowser::downloadBegin, this, [this] { setStatusText(1, QStringLiteral("Connecting")); });
    connect(m_browser, &WebBrowser::titleChange, this, [this] { Text5->setText(m_browser->locationUrl()); });
    connect(m_browser, &WebBrowser::newWindow2, this, [this](bool *cancel) {
        if (Check1->isChecked())
            *cancel = true;
    });
    connect(m_browser, &WebBrowser::downloadComplete, this, &MainWindow::onDownloadComplete);
}

void MainWindow::connectWatch()
{
    for (PageFetch *f : { m_sizeFetch, m_postFetch })
        connect(f, &PageFetch::statusText, this, &MainWindow::setStatusText);
    connect(m_sizeFetch, &PageFetch::finished, this, &MainWindow::onSizeFetched);
    connect(m_sizeFetch, &PageFetch::failed, this, &MainWindow::onSizeFetchFailed);
    connect(m_postFetch, &PageFetch::failed, this, &MainWindow::showFetchError);
    connect(m_check, &ReplyCheckRun::status, this, [this](const QString &text) { setStatusText(1, text); });
    connect(m_check, &ReplyCheckRun::newRepliesChanged, this, &MainWindow::refreshNewList);
    connect(m_check, &ReplyCheckRun::sizeRecorded, this, &MainWindow::refreshPostLists);
}

QString MainWindow::boxTitle() const
{
    return Identity::productName();
}

// ---------------------------------------------------------------- life cycle

void MainWindow::load()
{
    prepareMainSkin();
    ::setWindowIcon(this, QStringLiteral("AAA"), true);
    setWindowTitle(Identity::productName() + QLatin1String(" by ") + Identity::companyName());
    Command1->setText(QLatin1String("Visit ") + Identity::publisherAddress());
    m_browser->navigate(m_services.homePage.isEmpty() ? Identity::publisherAddress() : m_services.homePage);

    for (int i = 2; i <= 3; ++i) {
        auto *panel = new QLabel(statusBar());
        panel->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(i));
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar()->addWidget(panel, 1);
        statusPanels.append(panel);
    }

    const DataFolder &folder = m_services.folder;
    for (const QString &name :
        { kHtmlTempFile, QString::fromLatin1(MessageStore::kFileName), kPostsFile, kForumsFile, kSizesFile }) {
        // Something that is there but is no readable file is reported when
        // the lists are read, and left alone.
        if (xfileExists(folder.filePath(name)) || QFileInfo::exists(folder.filePath(name)))
            continue;
        QString error;
        if (!folder.createWithEmptyLine(name, &error))
            m_services.dialogs->message(this,
                tr("The data file %1 could not be created:\r\n%2").arg(folder.filePath(name), error), boxTitle(),
                DialogService::Icon::Exclamation);
    }
    readListFiles();

    m_templates.load(*m_services.settings);
    updateInterface();

    const QString lastMessage = m_services.settings->read(kData, QStringLiteral("lastMessage"), QString());
    setSubjectText(
        m_services.settings->read(kData, QStringLiteral("lastSubject"), QStringLiteral("Type Subject Here")));
    if (!lastMessage.isEmpty() && lastMessage != QLatin1String(" "))
        setMessageText(lastMessage);
    else
        setMessageText(firstRunText());
    bool ok = false;
    const int lastConvert
        = m_services.settings->read(kData, QStringLiteral("lastConvert"), QStringLiteral("0")).toInt(&ok);
    // A position that is no number or names no entry keeps "text".
    if (ok && lastConvert >= 0 && lastConvert < cmbConvert->count())
        cmbConvert->setCurrentIndex(lastConvert);

    replaceLabels(this);
    applySkin(this);
    if (m_services.settings->read(kSettings, QStringLiteral("showHelp"), QStringLiteral("1")) == QLatin1String("1"))
        showHelpWindow();
    m_loaded = true;
    layoutWindow();
}

void MainWindow::readListFiles()
{
    const DataFolder &folder = m_services.folder;
    auto read = [&](const QString &name) {
        LineFile f = folder.readLines(name);
        if (!f.ok) {
            m_unreadable.insert(name);
            m_services.dialogs->message(this,
                tr("The data file %1 could not be read:\r\n%2\r\n\r\n"
                   "Its list starts empty, and the file is left as it is.")
                    .arg(folder.filePath(name), f.error),
                boxTitle(), DialogService::Icon::Exclamation);
        }
        return f.lines;
    };
    const QStringList posts = read(kPostsFile);
    const QStringList forums = read(kForumsFile);
    const QStringList sizes = read(kSizesFile);
    m_posts.load(posts, sizes);
    m_forums.load(forums);
    refreshPostLists();
    refreshForumLists();
}

void MainWindow::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    const DataFolder &folder = m_services.folder;
    // posts.txt and sizes.txt run in step: when either could not be read at
    // start-up both are left as they are.
    const bool postsReadable = !m_unreadable.contains(kPostsFile) && !m_unreadable.contains(kSizesFile);
    if (postsReadable)
        folder.writeText(kPostsFile, m_posts.postsFileText());
    saveLogins();
    if (postsReadable)
        folder.writeText(kSizesFile, m_posts.sizesFileText());
    m_services.settings->write(kData, QStringLiteral("lastMessage"), messageText());
    m_services.settings->write(kData, QStringLiteral("lastConvert"), QString::number(cmbConvert->currentIndex()));

    for (QWidget *w : { static_cast<QWidget *>(m_splash.data()), static_cast<QWidget *>(m_frmCustom.data()),
             static_cast<QWidget *>(m_form8.data()), static_cast<QWidget *>(m_form3.data()),
             static_cast<QWidget *>(m_frmAbout.data()) }) {
        if (w)
            w->close(); // side windows are destroyed on close
    }
    skinCompanion().operation3();
    m_sizeFetch->abandon();
    m_postFetch->abandon();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program.
    QCoreApplication::quit();
}

// ---------------------------------------------------------------- layout

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutWindow();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        layoutWindow();
}

void MainWindow::layoutWindow()
{
    WindowLayoutInput in;
    in.width = pixelsToTwips(width());
    in.height = pixelsToTwips(height());
    in.statusBarHeight = pixelsToTwips(statusBar()->height());
    in.minimized = isMinimized();
    const WindowLayout l = ::layoutWindow(in);
    if (!l.applies)
        return;
    if (l.width != in.width || l.height != in.height) {
        // Held at the minimum size; the resize runs the layout again.
        resize(std::max(width(), twipsToPixels(l.width)), std::max(height(), twipsToPixels(l.height)));
        return;
    }
    m_layout = l;
    auto setH = [](QWidget *w, int h) { w->resize(w->width(), twipsToPixels(h)); };
    auto setW = [](QWidget *w, int wd) { w->resize(twipsToPixels(wd), w->height()); };
    setH(Frame3, l.frame3Height);
    setH(Frame4, l.frame4Height);
    setH(lstPosts, l.lstPostsHeight);
    setH(lstPosts2, l.lstPosts2Height);
    setH(lstNew, l.lstNewHeight);
    Frame2->resize(twipsToPixels(l.frame2Width), twipsToPixels(l.frame2Height));
    if (QWidget *view = m_browser ? m_browser->widget() : nullptr)
        view->resize(twipsToPixels(l.webBrowserWidth), twipsToPixels(l.webBrowserHeight));
    const int panelWidths[3] = { l.panel1Width, l.panel2Width, l.panel3Width };
    // Only a maximum: a fixed width would make the status bar ask for more
    // room than the window has, and the window would grow on every layout.
    for (int i = 0; i < statusPanels.size() && i < 3; ++i)
        statusPanels[i]->setMaximumWidth(std::max(0, twipsToPixels(panelWidths[i]) - 8));
    setW(Text5, l.text5Width);
    Command3->move(twipsToPixels(l.command3Left), Command3->y());
    setW(Command1, l.command1Width);
    setH(TabStrip2, l.tabStrip2Height);
    cmdPaste[3]->move(cmdPaste[3]->x(), twipsToPixels(l.pasteMessageTop));
    setH(txtMessage, l.txtMessageHeight);
}

void MainWindow::updateInterface()
{
    cmbConvert->clear();
    cmbConvert->addItem(QStringLiteral("text"));
    for (int slot = TemplateSet::kSlotCount - 1; slot >= 0; --slot) {
        const QString name = m_templates.at(slot).name;
        if (!name.isEmpty())
            cmbConvert->insertItem(1, name);
    }
    cmbConvert->setCurrentIndex(0);
}

void MainWindow::setStatusText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= statusPanels.size())
        statusPanels[panel - 1]->setText(text);
}

QString MainWindow::statusText(int panel) const
{
    if (panel >= 1 && panel <= statusPanels.size())
        return statusPanels[panel - 1]->text();
    return QString();
}

// ---------------------------------------------------------------- message

QString MainWindow::messageText() const
{
    return toCrLf(txtMessage->toPlainText());
}

void MainWindow::setMessageText(const QString &text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    txtMessage->setPlainText(plain);
}

QString MainWindow::subjectText() const
{
    return txtSubject->text();
}

void MainWindow::setSubjectText(const QString &text)
{
    txtSubject->setText(text);
}

QString MainWindow::convertMessage(const QString &text) const
{
    return ::convertMessage(text, cmbConvert->currentText(), m_templates);
}

QString MainWindow::outgoingMessage() const
{
    return convertMessage(messageText() + QLatin1String("\r\n\r\n"));
}

void MainWindow::saveMessage()
{
    MessageStore store(m_services.folder);
    QString error;
    if (!store.save(messageText(), subjectText(), &error)) {
        m_services.dialogs->message(this,
            tr("The message could not be saved to %1:\r\n%2")
                .arg(m_services.folder.filePath(QString::fromLatin1(MessageStore::kFileName)), error),
            boxTitle(), DialogService::Icon::Exclamation);
        return;
    }
    setStatusText(1, QStringLiteral("MESSAGE SAVED"));
}

void MainWindow::cmdSave_Click()
{
    saveMessage();
}

void MainWindow::cmdLoad_Click()
{
    if (!m_form3) {
        m_form3 = new SavedMessagesWindow(this);
        if (!m_form3->loadWindow()) {
            delete m_form3.data();
            return;
        }
    }
    m_form3->show();
    m_form3->raise();
}

void MainWindow::cmdOptions_Click()
{
    if (!m_frmCustom) {
        m_frmCustom = new TemplateEditor(this);
        m_frmCustom->loadWindow();
    }
    m_frmCustom->show();
    m_frmCustom->raise();
}

// ---------------------------------------------------------------- carrying the message out

void MainWindow::cmdMessage_Click()
{
    // The outer HTML first; the inner HTML is fetched only when the first
    // pass finds no posting form, so a large page crosses over once.
    QPointer<MainWindow> self(this);
    m_browser->runJavaScript(PageScripts::readBodyHtml(false), [self](const QVariant &outer) {
        if (!self)
            return;
        const FormScanner::Result first = FormScanner::scanPass(outer.toString(), FormScanner::Pass::OuterHtml);
        if (first.formIndex >= 0 || outer.isNull() || !outer.isValid()) {
            self->finishAutoInsert(first, outer.isValid() && !outer.isNull());
            return;
        }
        self->m_browser->runJavaScript(PageScripts::readBodyHtml(true), [self](const QVariant &inner) {
            if (self)
                self->finishAutoInsert(FormScanner::scanPass(inner.toString(), FormScanner::Pass::InnerHtml), true);
        });
    });
}

void MainWindow::finishAutoInsert(const FormScanner::Result &scan, bool havePage)
{
    m_services.folder.writeText(kHtmlTempFile, scan.savedText);
    QPointer<MainWindow> self(this);
    auto fail = [self] {
        if (!self)
            return;
        self->m_services.dialogs->message(self,
            QStringLiteral("Could not auto-insert your message.  Try pasting instead."),
            QStringLiteral("Auto-Insert Error"));
        emit self->autoInsertDone(false);
    };
    if (!havePage) {
        fail();
        return;
    }
    // Without a posting form the message goes into the page's editable box.
    const bool formFound = scan.formIndex >= 0 && scan.fieldIndex >= 0;
    const QString outgoing = outgoingMessage();
    const bool asHtml = cmbConvert->currentText() == QLatin1String("html");
    m_writer->write(scan.formIndex, scan.fieldIndex, outgoing, asHtml, [self, outgoing, formFound, fail](bool written) {
        if (!self)
            return;
        // The automatic watch starts even when the field could not be written.
        if (formFound || written) {
            self->m_insertedMessage = outgoing;
            self->m_watchCountdown = 4;
        }
        if (written)
            emit self->autoInsertDone(true);
        else
            fail();
    });
}

void MainWindow::cmdPaste_Click(int index)
{
    if (index < 0 || index > 3)
        return;
    m_browser->setFocus();
    QString text;
    switch (index) {
    case 0:
        text = txtSubject->text();
        break;
    case 1:
        text = txtUsername->text();
        break;
    case 2:
        text = txtPassword->text();
        break;
    default:
        text = outgoingMessage();
        break;
    }
    sendKeystrokes(m_browser->keyTarget(), text);
}

void MainWindow::cmdCopy_Click()
{
    m_services.desktop->setClipboardText(outgoingMessage());
}

void MainWindow::cmdPreview_Click()
{
    m_services.dialogs->message(this, outgoingMessage(), QStringLiteral("message preview"));
}

// ---------------------------------------------------------------- browser panel

void MainWindow::Command1_Click()
{
    QString address = Identity::publisherAddress();
    if (!address.contains(QLatin1String("https://"), Qt::CaseInsensitive)
        && !address.contains(QLatin1String("http://"), Qt::CaseInsensitive))
        address.prepend(QLatin1String("http://"));
    m_services.desktop->openUrl(address);
}

void MainWindow::Command3_Click()
{
    m_browser->navigate(Text5->text());
}

void MainWindow::Command4_Click()
{
    m_browser->goBack();
}

void MainWindow::Command5_Click()
{
    m_browser->goForward();
}

void MainWindow::Command6_Click()
{
    m_browser->stop();
}

void MainWindow::Command7_Click(int index)
{
    if (index == 1)
        m_browser->refresh();
}

void MainWindow::onDownloadComplete()
{
    const QString url = m_browser->locationUrl();
    Text5->setText(url);
    setStatusText(1, QStringLiteral("Complete"));
    if (m_watchCountdown >= 1 && m_watchCountdown <= 4)
        runAutoWatchCheck(url);
    if (m_watchCountdown > 0)
        --m_watchCountdown;
}

void MainWindow::runAutoWatchCheck(const QString &url)
{
    const QString key = watchKey(m_insertedMessage);
    QPointer<MainWindow> self(this);
    m_browser->runJavaScript(PageScripts::readBody(), [self, key, url](const QVariant &body) {
        if (!self)
            return;
        const QVariantMap map = body.toMap();
        // A page without a body counts as not showing the message.
        const bool found = !map.isEmpty()
            && pageShowsKey(
                key, map.value(QStringLiteral("outer")).toString(), map.value(QStringLiteral("inner")).toString());
        if (found) {
            self->watchThisPost(url);
            self->m_watchCountdown = 0; // the first hit ends the search
        }
        emit self->autoWatchChecked(found);
    });
}

// ---------------------------------------------------------------- watched posts

void MainWindow::watchThisPost(const QString &url)
{
    int row = m_posts.watchIndex(url);
    if (row < 0) {
        m_posts.add(url);
        row = m_posts.count() - 1;
        refreshPostLists();
    }
    startSizeFetch(m_posts.at(row).id);
}

void MainWindow::startSizeFetch(quint64 postId)
{
    if (m_sizeFetch->isBusy() && m_sizeTarget != postId) {
        // Another post is being measured: this one waits its turn.
        if (!m_sizeQueue.contains(postId))
            m_sizeQueue.append(postId);
        return;
    }
    const int row = m_posts.rowOf(postId);
    if (row < 0)
        return startNextSizeFetch();
    m_sizeTarget = postId;
    m_sizeFetch->start(m_posts.at(row).url);
}

void MainWindow::startNextSizeFetch()
{
    m_sizeTarget = 0;
    while (!m_sizeQueue.isEmpty()) {
        const quint64 id = m_sizeQueue.takeFirst();
        if (m_posts.rowOf(id) >= 0)
            return startSizeFetch(id);
    }
}

void MainWindow::onSizeFetched(qint64 bytes)
{
    // A post removed meanwhile just drops its result.
    if (m_posts.setSize(m_sizeTarget, bytes))
        refreshPostLists();
    setStatusText(2, QStringLiteral("Response completed"));
    startNextSizeFetch();
}

void MainWindow::onSizeFetchFailed(bool startError, int number, const QString &description)
{
    showFetchError(startError, number, description);
    startNextSizeFetch();
}

void MainWindow::showFetchError(bool startError, int number, const QString &description)
{
    const QString text = startError
        ? QStringLiteral("An error has occurred.\r\nError #: %1\r\nDescription: %2").arg(number).arg(description)
        : QStringLiteral("Error occurred.\r\nError #: %1\r\n%2").arg(number).arg(description);
    m_services.dialogs->message(this, text, QStringLiteral("Error"), DialogService::Icon::Exclamation);
}

void MainWindow::cmdAdd_Click()
{
    watchThisPost(m_browser->locationUrl());
}

void MainWindow::cmdDel_Click()
{
    const int row = lstPosts->currentRow();
    if (row < 0 || !lstPosts->item(row)->isSelected())
        return;
    m_posts.removeAt(row);
    refreshPostLists();
}

void MainWindow::refreshPostLists()
{
    const int row = lstPosts->currentRow();
    lstPosts->clear();
    lstSizes->clear();
    for (const WatchedPost &p : m_posts.all()) {
        lstPosts->addItem(p.url);
        lstSizes->addItem(p.size);
    }
    if (row >= 0 && row < lstPosts->count())
        lstPosts->setCurrentRow(row, QItemSelectionModel::NoUpdate);
}

void MainWindow::refreshNewList()
{
    lstNew->clear();
    lstNew->addItems(m_check->newReplies());
}

void MainWindow::cmdReplies_Click()
{
    m_check->start();
}

void MainWindow::TabStrip1_Click()
{
    const int index = TabStrip1->currentIndex();
    if (index < 0)
        return;
    const bool all = TabStrip1->tabText(index) == QLatin1String("Show All");
    cmdDel->setVisible(all);
    cmdAdd->setVisible(all);
    cmdReplies->setVisible(!all);
    lstPosts->setVisible(all);
    lstNew->setVisible(!all);
}

void MainWindow::selectPostsTab(int index)
{
    // Selecting a tab from code acts as a click, even on the tab already selected.
    if (TabStrip1->currentIndex() == index)
        TabStrip1_Click();
    else
        TabStrip1->setCurrentIndex(index);
}

void MainWindow::TabStrip2_Click()
{
    switch (TabStrip2->currentIndex() + 1) {
    case 1:
        Frame3->hide();
        Frame4->show();
        break;
    case 2:
        Frame3->show();
        Frame4->hide();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- forums and logins

bool MainWindow::saveLogins()
{
    if (m_unreadable.contains(kForumsFile)) {
        // Writing now would replace logins that are still in the file.
        if (!m_warnedLoginsUnreadable) {
            m_warnedLoginsUnreadable = true;
            m_services.dialogs->message(this,
                QStringLiteral("There was an error saving your logins.\r\n\r\nError Number %1\r\n%2")
                    .arg(1)
                    .arg(tr("%1 could not be read at start-up, so it is left as it is.")
                             .arg(m_services.folder.filePath(kForumsFile))),
                boxTitle());
        }
        return false;
    }
    QString error;
    int number = 0;
    if (!m_services.folder.writeText(kForumsFile, m_forums.fileText(), &error, &number)) {
        m_services.dialogs->message(this,
            QStringLiteral("There was an error saving your logins.\r\n\r\nError Number %1\r\n%2")
                .arg(number)
                .arg(error),
            boxTitle());
        return false;
    }
    return true;
}

void MainWindow::refreshForumLists()
{
    QSignalBlocker block(lstPosts2);
    const int row = lstPosts2->currentRow();
    lstPosts2->clear();
    lstLogins->clear();
    for (int i = 0; i < m_forums.count(); ++i) {
        lstPosts2->addItem(m_forums.at(i).url);
        lstLogins->addItem(m_forums.at(i).login);
    }
    if (row >= 0 && row < lstPosts2->count())
        lstPosts2->setCurrentRow(row);
}

void MainWindow::onForumSelected()
{
    const int row = lstPosts2->currentRow();
    if (row < 0 || row >= m_forums.count())
        return;
    setStatusText(2, m_forums.at(row).url);
    txtUsername->setEnabled(true);
    txtPassword->setEnabled(true);
    const QString login = m_forums.at(row).login;
    if (!login.isEmpty()) {
        // Each box that changes stores the row and saves, as typing does.
        txtUsername->setText(ForumList::userName(login));
        txtPassword->setText(ForumList::password(login));
    }
}

void MainWindow::onLoginChanged()
{
    const int row = lstPosts2->currentRow();
    if (row < 0 || row >= m_forums.count())
        return; // no forum selected: nothing to store
    const QString login = ForumList::joinLogin(txtUsername->text(), txtPassword->text());
    m_forums.at(row).login = login;
    if (QListWidgetItem *item = lstLogins->item(row))
        item->setText(login);
    saveLogins();
}

void MainWindow::cmdAdd2_Click()
{
    const QString url = m_browser->locationUrl();
    for (int i = 0; i < m_forums.count(); ++i)
        if (m_forums.at(i).url == url)
            return; // already a forum
    m_forums.add(url, QString());
    refreshForumLists();
    lstPosts2->setCurrentRow(m_forums.count() - 1);
    m_forums.at(m_forums.count() - 1).login = QStringLiteral("|");
    lstLogins->item(m_forums.count() - 1)->setText(QStringLiteral("|"));
    txtUsername->setText(QStringLiteral("Enter Username"));
    txtPassword->setText(QString());
    saveLogins();
}

void MainWindow::cmdDel2_Click()
{
    const int row = lstPosts2->currentRow();
    if (row < 0 || !lstPosts2->item(row)->isSelected())
        return;
    m_forums.removeAt(row);
    refreshForumLists();
    {
        QSignalBlocker block(lstPosts2);
        lstPosts2->setCurrentRow(-1);
    }
    saveLogins();
}

// ---------------------------------------------------------------- menus and side windows

void MainWindow::mnuFile_Click(int index)
{
    switch (index) {
    case 0:
        setMessageText(QString());
        setSubjectText(QString());
        break;
    case 1:
        cmdSave_Click();
        break;
    case 2:
        cmdLoad_Click();
        break;
    case 3:
        // Exit ends the program in order: the lists and message are kept.
        close();
        break;
    default:
        break;
    }
}

void MainWindow::mnuTools_Click(int index)
{
    switch (index) {
    case 0:
        cmdPreview_Click();
        break;
    case 1:
        cmdMessage_Click();
        break;
    case 2:
        selectPostsTab(1);
        cmdReplies_Click();
        break;
    case 3:
        cmdOptions_Click();
        break;
    case 4:
        cmdPaste_Click(3);
        break;
    case 5:
        cmdPaste_Click(0);
        break;
    case 6:
        cmdPaste_Click(1);
        break;
    case 7:
        cmdPaste_Click(2);
        break;
    default:
        break;
    }
}

void MainWindow::mnuView_Click(int index)
{
    switch (index) {
    case 0:
        cmdLoad_Click();
        break;
    case 1:
        selectPostsTab(0);
        break;
    case 2:
        selectPostsTab(1);
        break;
    case 3:
        cmdOptions_Click();
        break;
    default:
        break;
    }
}

void MainWindow::aboutMenuItem_Click(int index)
{
    if (index == 0)
        showHelpWindow();
}

void MainWindow::mnuAboutItem_Click()
{
    if (!m_frmAbout) {
        m_frmAbout = new AboutWindow(this);
        m_frmAbout->loadWindow();
    }
    m_frmAbout->show();
    m_frmAbout->raise();
}

void MainWindow::showHelpWindow()
{
    if (!m_form8) {
        m_form8 = new HelpWindow(m_services.folder, *m_services.settings, this);
        if (!m_form8->loadWindow()) {
            delete m_form8.data();
            return; // no help file: no window, no message
        }
    }
    m_form8->show();
    m_form8->raise();
}
