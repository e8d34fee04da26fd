#include "app/main_window.h"

#include "app/list_files.h"
#include "app/main_menu.h"
#include "app/side_windows.h"
#include "app/window_placement.h"
#include "browser/auto_insert_controller.h"
#include "browser/message_delivery.h"
#include "logins/forum_logins.h"
#include "logins/forum_store.h"
#include "messages/message_store.h"
#include "messages/outgoing_message.h"
#include "net/page_fetch.h"
#include "panels/browser_panel.h"
#include "panels/command_bar.h"
#include "panels/lists_panel.h"
#include "panels/message_editor_panel.h"
#include "panels/status_panels.h"
#include "platform/data_lock.h"
#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "platform/identity.h"
#include "platform/notifier.h"
#include "platform/settings_store.h"
#include "platform/web_browser.h"
#include "ui/skin.h"
#include "ui/start_page.h"
#include "watch/check_scheduler.h"
#include "watch/post_watcher.h"
#include "watch/reply_check.h"
#include "watch/watch_store.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {
const QString kData = QStringLiteral("data");
} // namespace

MainWindow::MainWindow(AppServices services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(std::move(services))
    , m_store(std::make_unique<WatchStore>(m_services.folder))
    , m_forums(std::make_unique<ForumStore>(m_services.folder))
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    DialogService &dialogs = *m_services.dialogs;

    m_browser = m_services.createBrowser(this);
    m_sizeChannel = new PageFetch(this);
    m_sizeChannel->setObjectName(QStringLiteral("wscSizes"));
    auto *checkChannel = new PageFetch(this);
    checkChannel->setObjectName(QStringLiteral("wscPosts"));
    m_check = new ReplyCheckRun(m_store->posts(), m_store->texts(), *checkChannel, this);
    m_scheduler = new CheckScheduler(*m_check, m_services.notifier, this);
    // Watch This Post during a check run stays within the run's connections to the forum.
    m_sizeChannel->setConnectionPool(m_check->connectionPool());
    m_watcher = new PostWatcher(m_store->posts(), m_store->texts(), *m_sizeChannel, dialogs, this);
    m_logins = new ForumLogins(*m_forums, dialogs, this);
    m_autoInsert = new AutoInsertController(
        *m_browser, m_services.folder, dialogs,
        [this] {
            return AutoInsertController::Outgoing { outgoingMessage(),
                m_commandBar->formatName() == QLatin1String("html") };
        },
        this);
    m_delivery = std::make_unique<MessageDelivery>(*m_browser, *m_services.desktop, dialogs);

    buildPanels();
    m_sideWindows = new SideWindows(m_services, m_templates, *m_editor, this);
    connectCommands(MainMenu::build(menuBar(),
        { m_commandBar->saveAction(), m_commandBar->loadAction(), m_commandBar->previewAction(),
            m_commandBar->autoInsertAction(), m_lists->checkRepliesAction(), m_commandBar->optionsAction(),
            m_editor->pasteMessageAction(), m_editor->pasteSubjectAction(), m_lists->pasteUserNameAction(),
            m_lists->pastePasswordAction() }));
    connectWork();
}

MainWindow::~MainWindow()
{
    // Side windows go first: they hold references to the state owned here.
    delete m_sideWindows;
}

void MainWindow::buildPanels()
{
    // Built in reading order, which the keyboard's tab order follows.
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    m_commandBar = new CommandBar(central);
    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("mainSplitter"));
    m_splitter->setChildrenCollapsible(false);
    auto *leftColumn = new QWidget(m_splitter);
    leftColumn->setObjectName(QStringLiteral("leftColumn"));
    m_editor = new MessageEditorPanel(*m_services.settings, leftColumn);
    m_lists = new ListsPanel(*m_store, *m_logins, *m_check, leftColumn);
    m_browserPanel = new BrowserPanel(*m_browser, m_splitter);
    m_status = new StatusPanels(this);
    setStatusBar(m_status);

    // The designed heights of the editor and the lists, as proportions: both grow with the window.
    auto *left = new QVBoxLayout(leftColumn);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(m_editor, 4095);
    left->addWidget(m_lists, 4815);
    m_splitter->addWidget(leftColumn);
    m_splitter->addWidget(m_browserPanel);
    // A wider window widens the browser; the columns start as designed (WindowPlacement).
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(4, 0, 4, 0);
    column->addWidget(m_commandBar);
    column->addWidget(m_splitter, 1);
}

void MainWindow::connectCommands(const MainMenu &menu)
{
    auto on
        = [this](QAction *action, auto *receiver, auto slot) { connect(action, &QAction::triggered, receiver, slot); };
    on(menu.newMessage, m_editor, &MessageEditorPanel::clearMessage);
    on(m_commandBar->saveAction(), this, &MainWindow::saveMessage);
    on(m_commandBar->loadAction(), m_sideWindows, &SideWindows::showSavedMessages);
    on(menu.savedMessages, m_sideWindows, &SideWindows::showSavedMessages);
    // Exit ends the program in order: the lists and the message are kept.
    on(menu.exit, this, &QWidget::close);
    on(m_commandBar->previewAction(), this, &MainWindow::previewMessage);
    on(m_commandBar->autoInsertAction(), m_autoInsert, &AutoInsertController::autoInsert);
    on(m_commandBar->copyAction(), this, &MainWindow::copyMessage);
    on(m_commandBar->visitAction(), this, &MainWindow::visitPublisher);
    on(m_lists->checkRepliesAction(), this, &MainWindow::showAndCheckReplies);
    on(menu.autoCheck, this, &MainWindow::chooseAutoCheck);
    on(m_commandBar->optionsAction(), m_sideWindows, &SideWindows::showTemplateEditor);
    on(menu.templates, m_sideWindows, &SideWindows::showTemplateEditor);
    on(m_editor->pasteMessageAction(), this, &MainWindow::pasteMessage);
    on(m_editor->pasteSubjectAction(), this, &MainWindow::pasteSubject);
    on(m_lists->pasteUserNameAction(), this, &MainWindow::pasteUserName);
    on(m_lists->pastePasswordAction(), this, &MainWindow::pastePassword);
    on(m_lists->watchThisPostAction(), this, &MainWindow::watchCurrentPage);
    on(m_lists->addForumAction(), this, &MainWindow::addCurrentForum);
    connect(menu.allPosts, &QAction::triggered, m_lists, [this] { m_lists->selectPostsTab(0); });
    connect(menu.replies, &QAction::triggered, m_lists, [this] { m_lists->selectPostsTab(1); });
    m_keepPasswordsInFile = menu.keepPasswordsInFile;
    on(menu.keepPasswordsInFile, this, &MainWindow::keepPasswordsInFile);
    on(menu.viewHelp, m_sideWindows, &SideWindows::showHelp);
    on(menu.about, m_sideWindows, &SideWindows::showAbout);
    connect(m_sideWindows, &SideWindows::templatesSaved, this, &MainWindow::updateInterface);
}

void MainWindow::connectWork()
{
    connect(m_browserPanel, &BrowserPanel::loadStarted, m_status, &StatusPanels::showLoadStarted);
    connect(m_browserPanel, &BrowserPanel::pageLoaded, m_status, &StatusPanels::showPageLoaded);
    connect(m_browserPanel, &BrowserPanel::linkHovered, m_status, &StatusPanels::showAddress);
    connect(m_lists, &ListsPanel::addressSelected, m_status, &StatusPanels::showAddress);
    connect(m_lists, &ListsPanel::addressRefused, m_status, &StatusPanels::showResult);
    connect(m_browserPanel, &BrowserPanel::addressRefused, m_status, &StatusPanels::showResult);
    connect(m_sizeChannel, &PageFetch::stepChanged, m_status, &StatusPanels::showFetchStep);
    connect(m_sizeChannel, &PageFetch::progress, m_status, &StatusPanels::showFetchProgress);
    connect(m_watcher, &PostWatcher::measureCompleted, m_status, &StatusPanels::showMeasureCompleted);
    connect(m_watcher, &PostWatcher::addressRefused, m_status, &StatusPanels::showResult);
    connect(m_check, &ReplyCheckRun::fetchStep, m_status, &StatusPanels::showFetchStep);
    connect(m_check, &ReplyCheckRun::fetchProgress, m_status, &StatusPanels::showFetchProgress);
    connect(m_check, &ReplyCheckRun::progress, m_status, &StatusPanels::showCheckProgress);
    connect(m_check, &ReplyCheckRun::finished, m_status, &StatusPanels::showCheckFinished);
    connect(m_autoInsert, &AutoInsertController::pageSourceNotSaved, m_status, &StatusPanels::showResult);
    // A run reports the posts it could not check in panel 1's tip, not in a box per post.
    connect(m_check, &ReplyCheckRun::failuresChanged, m_status,
        [this] { m_status->setCheckFailures(m_check->failures()); });
    connect(m_browserPanel, &BrowserPanel::pageLoaded, m_autoInsert, &AutoInsertController::checkLoadedPage);
    connect(m_autoInsert, &AutoInsertController::messageShown, m_watcher, &PostWatcher::watch);
    connect(m_lists, &ListsPanel::postOpened, this, &MainWindow::openPost);
    connect(m_lists, &ListsPanel::forumOpened, m_browser, &WebBrowser::navigate);
    connect(m_browser, &WebBrowser::helpRequested, m_sideWindows, &SideWindows::showHelp);
    if (m_services.notifier)
        connect(m_services.notifier, &Notifier::activated, this, &MainWindow::showNewReplies);
}

// ---------------------------------------------------------------- life cycle

void MainWindow::load()
{
    ::setWindowIcon(this, QStringLiteral("AAA"), true);
    setWindowTitle(Identity::productName() + QLatin1String(" by ") + Identity::companyName());
    m_commandBar->setPublisherAddress(Identity::publisherAddress());
    m_browser->navigate(m_services.homePage.isEmpty() ? startPageAddress() : m_services.homePage);
    m_lock = ListFiles::lock(m_services);
    ListFiles::createMissing(m_services, this);
    ListFiles::read(*m_store, *m_forums, m_services, this);
    const bool passwordsInFile = ForumLogins::fileChosen(*m_services.settings);
    m_keepPasswordsInFile->setChecked(passwordsInFile);
    m_services.startupNotices.append(m_logins->startPasswords(m_services.keyring, passwordsInFile));

    m_templates.load(*m_services.settings);
    updateInterface();
    m_editor->restoreLastMessage();
    bool ok = false;
    const int lastConvert
        = m_services.settings->read(kData, QStringLiteral("lastConvert"), QStringLiteral("0")).toInt(&ok);
    // A position that is no number or names no entry keeps "text".
    if (ok)
        m_commandBar->setFormatIndex(lastConvert);

    applySkin(this);
    // In the panels' place for a while: the first page load writes panel 1 at once.
    if (!m_services.startupNotices.isEmpty())
        statusBar()->showMessage(m_services.startupNotices.join(QStringLiteral("; ")), 30000);
    WindowPlacement::restore(this, m_splitter, *m_services.settings);
    if (m_services.settings->read(QStringLiteral("Settings"), QStringLiteral("showHelp"), QStringLiteral("1"))
        == QLatin1String("1"))
        m_sideWindows->showHelp();
    m_scheduler->restore(*m_services.settings);
    m_check->setLimits(CheckLimits::fromSettings(*m_services.settings));
}

bool MainWindow::unload(Shutdown how)
{
    if (m_unloaded)
        return true;
    const auto asking = how == Shutdown::Interactive ? ListFiles::Asking::User : ListFiles::Asking::Nobody;
    if (!ListFiles::writeAtTheEnd(*m_store, *m_forums, m_services, this, asking))
        return false;
    m_unloaded = true;
    m_editor->storeLastMessage();
    WindowPlacement::store(this, m_splitter, *m_services.settings);
    m_services.settings->write(kData, QStringLiteral("lastConvert"), QString::number(m_commandBar->formatIndex()));
    if (m_splash)
        m_splash->close();
    m_sideWindows->closeAll();
    m_scheduler->setInterval(std::chrono::milliseconds(0));
    m_sizeChannel->abandon();
    m_check->abandon();
    // Everything is written: postmaven-cli may change the lists from now on.
    if (m_lock)
        m_lock->unlock();
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!unload(Shutdown::Interactive)) {
        event->ignore();
        return;
    }
    event->accept();
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program.
    QCoreApplication::quit();
}

// ---------------------------------------------------------------- status

void MainWindow::updateInterface()
{
    m_commandBar->setFormats(m_templates.converterList());
}

QString MainWindow::statusText(int panel) const
{
    return m_status->text(panel);
}

// ---------------------------------------------------------------- messages

QString MainWindow::outgoingMessage() const
{
    return ::outgoingMessage(m_editor->messageText(), m_commandBar->formatName(), m_templates);
}

void MainWindow::saveMessage()
{
    MessageStore store(m_services.folder);
    QString error;
    if (!store.save(m_editor->messageText(), m_editor->subjectText(), &error)) {
        m_services.dialogs->message(this,
            tr("The message could not be saved to %1:\r\n%2")
                .arg(m_services.folder.filePath(QString::fromLatin1(MessageStore::kFileName)), error),
            Identity::productName(), DialogService::Icon::Exclamation);
        return;
    }
    m_status->showResult(QStringLiteral("MESSAGE SAVED"));
}

void MainWindow::previewMessage()
{
    m_delivery->preview(outgoingMessage());
}

void MainWindow::copyMessage()
{
    m_delivery->copy(outgoingMessage());
}

void MainWindow::pasteSubject()
{
    m_delivery->paste(m_editor->subjectText());
}

void MainWindow::pasteUserName()
{
    m_delivery->paste(m_lists->userName());
}

void MainWindow::pastePassword()
{
    m_delivery->pastePassword(m_lists->password(), m_lists->selectedForum());
}

void MainWindow::pasteMessage()
{
    m_delivery->paste(outgoingMessage());
}

// ---------------------------------------------------------------- browser and lists

void MainWindow::visitPublisher()
{
    // The publisher's address is a placeholder that leads nowhere; the start
    // page tells what the publisher would.
    m_browser->navigate(startPageAddress());
}

void MainWindow::watchCurrentPage()
{
    m_watcher->watch(m_browser->locationUrl());
}

void MainWindow::addCurrentForum()
{
    m_lists->addForum(m_browser->locationUrl());
}

void MainWindow::showAndCheckReplies()
{
    m_lists->selectPostsTab(1);
    m_check->start();
}

void MainWindow::chooseAutoCheck()
{
    m_scheduler->chooseInterval(*m_services.dialogs, *m_services.settings);
}

void MainWindow::showNewReplies()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    m_lists->selectPostsTab(1);
}

void MainWindow::openPost(const QString &url)
{
    m_autoInsert->watchNextLoads();
    m_browser->navigate(url);
}

void MainWindow::keepPasswordsInFile(bool inFile)
{
    statusBar()->showMessage(m_logins->choosePasswordsInFile(inFile, *m_services.settings), 10000);
    m_keepPasswordsInFile->setChecked(ForumLogins::fileChosen(*m_services.settings));
}
