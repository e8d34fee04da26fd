#include "app/main_window.h"

#include "app/command_bar.h"
#include "app/main_menu.h"
#include "app/side_windows.h"
#include "browser/auto_insert_controller.h"
#include "browser/browser_panel.h"
#include "browser/message_delivery.h"
#include "messages/message_editor_panel.h"
#include "messages/message_store.h"
#include "messages/outgoing_message.h"
#include "platform/data_lock.h"
#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "platform/identity.h"
#include "platform/notifier.h"
#include "platform/settings_store.h"
#include "platform/web_browser.h"
#include "ui/placement.h"
#include "ui/skin.h"
#include "ui/start_page.h"
#include "watch/check_scheduler.h"
#include "watch/forum_logins.h"
#include "watch/lists_panel.h"
#include "watch/page_fetch.h"
#include "watch/post_watcher.h"
#include "watch/reply_check.h"
#include "watch/watch_store.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include <cstdio>

namespace {

const QString kData = QStringLiteral("data");
const QString kSettings = QStringLiteral("Settings");
const QString kAutoCheckMinutes = QStringLiteral("autoCheckMinutes");
// postmaven-cli holds the data folder's lock only while it rewrites two small files.
constexpr int kLockWaitMs = 3000;
const QString kHtmlTempFile = QStringLiteral("htmltemp.txt");

// Connects every action to one slot: menu items and the buttons they repeat.
template <typename Receiver, typename Slot>
void onTriggered(std::initializer_list<QAction *> actions, Receiver *receiver, Slot slot)
{
    for (QAction *action : actions)
        QObject::connect(action, &QAction::triggered, receiver, slot);
}

} // namespace

MainWindow::MainWindow(AppServices services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(std::move(services))
    , m_store(std::make_unique<WatchStore>(m_services.folder))
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    DialogService &dialogs = *m_services.dialogs;

    m_browser = m_services.createBrowser(this);
    m_sizeChannel = new PageFetch(this);
    m_sizeChannel->setObjectName(QStringLiteral("wscSizes"));
    m_checkChannel = new PageFetch(this);
    m_checkChannel->setObjectName(QStringLiteral("wscPosts"));
    m_check = new ReplyCheckRun(m_store->posts(), *m_checkChannel, this);
    m_scheduler = new CheckScheduler(*m_check, m_services.notifier, this);
    m_watcher = new PostWatcher(m_store->posts(), *m_sizeChannel, dialogs, this);
    m_logins = new ForumLogins(*m_store, dialogs, this);
    m_autoInsert = new AutoInsertController(
        *m_browser, m_services.folder, dialogs, [this] { return outgoingMessage(); }, this);
    m_delivery = std::make_unique<MessageDelivery>(*m_browser, *m_services.desktop, dialogs);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    m_commandBar = new CommandBar(central);
    m_editor = new MessageEditorPanel(*m_services.settings, central);
    placeInTwips(m_editor, 60, 900, 3735, 4095);
    m_browserPanel = new BrowserPanel(*m_browser, central);
    placeInTwips(m_browserPanel, 3840, 900, 6375, 7395);
    m_lists = new ListsPanel(*m_store, *m_logins, *m_check, central);
    placeInTwips(m_lists, 60, 5040, 3735, 4815);
    buildStatusBar();
    m_sideWindows = new SideWindows(m_services, m_templates, *m_editor, this);

    connectCommands(MainMenu::build(menuBar()));
    connectWork();
    resize(twipsToPixels(11145), twipsToPixels(8985 + 300));
}

MainWindow::~MainWindow()
{
    // Side windows go first: they hold references to the state owned here.
    delete m_sideWindows;
}

void MainWindow::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    setStatusBar(bar);
    auto *first = new QLabel(bar);
    first->setObjectName(QStringLiteral("StatusBar1_panel1"));
    first->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(first, 1);
    m_statusPanels.append(first);
}

void MainWindow::connectCommands(const MainMenu &menu)
{
    onTriggered({ menu.newMessage }, m_editor, &MessageEditorPanel::clearMessage);
    onTriggered({ menu.saveMessage, m_commandBar->saveAction() }, this, &MainWindow::saveMessage);
    onTriggered({ menu.loadMessage, menu.savedMessages, m_commandBar->loadAction() }, m_sideWindows,
        &SideWindows::showSavedMessages);
    // Exit ends the program in order: the lists and the message are kept.
    onTriggered({ menu.exit }, this, &QWidget::close);
    onTriggered({ menu.preview, m_commandBar->previewAction() }, this, &MainWindow::previewMessage);
    onTriggered({ menu.autoInsert, m_commandBar->autoInsertAction() }, m_autoInsert, &AutoInsertController::autoInsert);
    onTriggered({ menu.checkReplies }, this, &MainWindow::showAndCheckReplies);
    onTriggered({ menu.autoCheck }, this, &MainWindow::chooseAutoCheck);
    onTriggered({ menu.options, menu.templates, m_commandBar->optionsAction() }, m_sideWindows,
        &SideWindows::showTemplateEditor);
    onTriggered({ menu.pasteMessage, m_editor->pasteMessageAction() }, this, &MainWindow::pasteMessage);
    onTriggered({ menu.pasteSubject, m_editor->pasteSubjectAction() }, this, &MainWindow::pasteSubject);
    onTriggered({ menu.pasteUserName, m_lists->pasteUserNameAction() }, this, &MainWindow::pasteUserName);
    onTriggered({ menu.pastePassword, m_lists->pastePasswordAction() }, this, &MainWindow::pastePassword);
    connect(menu.allPosts, &QAction::triggered, m_lists, [this] { m_lists->selectPostsTab(0); });
    connect(menu.replies, &QAction::triggered, m_lists, [this] { m_lists->selectPostsTab(1); });
    onTriggered({ menu.viewHelp }, m_sideWindows, &SideWindows::showHelp);
    onTriggered({ menu.about }, m_sideWindows, &SideWindows::showAbout);
    connect(m_sideWindows, &SideWindows::templatesSaved, this, &MainWindow::updateInterface);
    onTriggered({ m_commandBar->copyAction() }, this, &MainWindow::copyMessage);
    onTriggered({ m_commandBar->visitAction() }, this, &MainWindow::visitPublisher);
    onTriggered({ m_lists->watchThisPostAction() }, this, &MainWindow::watchCurrentPage);
    onTriggered({ m_lists->addForumAction() }, this, &MainWindow::addCurrentForum);
    onTriggered({ m_lists->checkRepliesAction() }, this, &MainWindow::checkReplies);
}

void MainWindow::connectWork()
{
    connect(m_browserPanel, &BrowserPanel::statusText, this, &MainWindow::setStatusText);
    connect(m_lists, &ListsPanel::statusText, this, &MainWindow::setStatusText);
    for (PageFetch *channel : { m_sizeChannel, m_checkChannel })
        connect(channel, &PageFetch::statusText, this, &MainWindow::setStatusText);
    connect(m_watcher, &PostWatcher::statusText, this, &MainWindow::setStatusText);
    connect(m_check, &ReplyCheckRun::status, this, [this](const QString &text) { setStatusText(1, text); });
    // A run reports the posts it could not check in panel 1's tip, not in a box per post.
    connect(m_check, &ReplyCheckRun::failuresChanged, this, &MainWindow::showCheckFailures);
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
    prepareMainSkin();
    ::setWindowIcon(this, QStringLiteral("AAA"), true);
    setWindowTitle(Identity::productName() + QLatin1String(" by ") + Identity::companyName());
    m_commandBar->setPublisherAddress(Identity::publisherAddress());
    m_browser->navigate(m_services.homePage.isEmpty() ? startPageAddress() : m_services.homePage);
    for (int i = 2; i <= 3; ++i) {
        auto *panel = new QLabel(statusBar());
        panel->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(i));
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar()->addWidget(panel, 1);
        m_statusPanels.append(panel);
    }
    // Taken before the lists are read and let go after they are written at
    // exit: postmaven-cli then never changes them while this window has them.
    m_lock = std::make_unique<DataLock>(m_services.folder.path());
    if (!m_lock->tryLock(kLockWaitMs))
        m_services.startupNotices.append(m_lock->isHeldElsewhere()
                ? tr("%1: the watched posts of the window closed last are kept").arg(m_lock->errorText())
                : tr("%1: postmaven-cli cannot tell that this window is open").arg(m_lock->errorText()));
    createDataFiles();
    readLists();

    m_templates.load(*m_services.settings);
    updateInterface();
    m_editor->restoreLastMessage();
    bool ok = false;
    const int lastConvert
        = m_services.settings->read(kData, QStringLiteral("lastConvert"), QStringLiteral("0")).toInt(&ok);
    // A position that is no number or names no entry keeps "text".
    if (ok)
        m_commandBar->setFormatIndex(lastConvert);

    replaceLabels(this);
    applySkin(this);
    // Over the panels for a while: the first page load writes panel 1 at once.
    if (!m_services.startupNotices.isEmpty())
        statusBar()->showMessage(m_services.startupNotices.join(QStringLiteral("; ")), 30000);
    if (m_services.settings->read(QStringLiteral("Settings"), QStringLiteral("showHelp"), QStringLiteral("1"))
        == QLatin1String("1"))
        m_sideWindows->showHelp();
    m_scheduler->setIntervalMinutes(CheckScheduler::minutesFromSetting(
        m_services.settings->read(kSettings, kAutoCheckMinutes, QStringLiteral("0"))));
    layoutWindow();
}

void MainWindow::createDataFiles()
{
    const DataFolder &folder = m_services.folder;
    for (const QString &name : { kHtmlTempFile, QString::fromLatin1(MessageStore::kFileName), WatchStore::kPostsFile,
             WatchStore::kForumsFile, WatchStore::kSizesFile }) {
        // Something that is there but is no readable file is reported when
        // the lists are read, and left alone.
        if (xfileExists(folder.filePath(name)) || QFileInfo::exists(folder.filePath(name)))
            continue;
        QString error;
        if (!folder.createWithEmptyLine(name, &error))
            m_services.dialogs->message(this,
                tr("The data file %1 could not be created:\r\n%2").arg(folder.filePath(name), error),
                Identity::productName(), DialogService::Icon::Exclamation);
    }
}

void MainWindow::readLists()
{
    for (const FileProblem &problem : m_store->load())
        m_services.dialogs->message(this,
            tr("The data file %1 could not be read:\r\n%2\r\n\r\nIts list starts empty, and the file is left as it is.")
                .arg(problem.path, problem.error),
            Identity::productName(), DialogService::Icon::Exclamation);
}

bool MainWindow::unload(Shutdown how)
{
    if (m_unloaded)
        return true;
    for (;;) {
        QList<FileProblem> problems = m_store->savePosts();
        FileProblem forums;
        // A file unreadable at start-up is left alone on purpose, and was reported then.
        if (!m_store->saveForums(&forums) && !m_store->wasUnreadable(WatchStore::kForumsFile))
            problems.append(forums);
        if (problems.isEmpty())
            break;
        QStringList lines;
        for (const FileProblem &p : problems)
            lines.append(QStringLiteral("%1: %2").arg(p.path, p.error));
        if (how == Shutdown::Unattended) {
            // Nobody may be there to answer a box: say it and go on ending.
            for (const QString &line : lines)
                fprintf(stderr, "postmaven: could not write %s\n", qPrintable(line));
            break;
        }
        const QString text = tr("These files could not be written:\r\n\r\n%1\r\n\r\nWhat they held before is kept. "
                                "Retry, or Cancel to keep the window open?")
                                 .arg(lines.join(QStringLiteral("\r\n")));
        if (!m_services.dialogs->ask(this, text, Identity::productName(), DialogService::Choice::RetryCancel))
            return false;
    }
    m_unloaded = true;
    m_editor->storeLastMessage();
    m_services.settings->write(kData, QStringLiteral("lastConvert"), QString::number(m_commandBar->formatIndex()));
    if (m_splash)
        m_splash->close();
    m_sideWindows->closeAll();
    skinCompanion().operation3();
    m_scheduler->setInterval(std::chrono::milliseconds(0));
    m_sizeChannel->abandon();
    m_checkChannel->abandon();
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

// ---------------------------------------------------------------- layout and status

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
    m_commandBar->fitTo(l.width, l.visitButtonWidth);
    m_editor->placeMessageBox(l.pasteMessageTop, l.messageBoxHeight);
    m_browserPanel->fitTo(l.browserFrameWidth, l.browserFrameHeight, l.pageViewWidth, l.pageViewHeight,
        l.addressBoxWidth, l.goButtonLeft);
    m_lists->fitTo(l.postsPageHeight, l.forumsPageHeight, l.postListHeight, l.forumListHeight, l.newRepliesListHeight,
        l.pageTabsHeight);
    const int panelWidths[3] = { l.panel1Width, l.panel2Width, l.panel3Width };
    // Only a maximum: a fixed width would make the status bar ask for more
    // room than the window has, and the window would grow on every layout.
    for (int i = 0; i < m_statusPanels.size() && i < 3; ++i)
        m_statusPanels[i]->setMaximumWidth(std::max(0, twipsToPixels(panelWidths[i]) - 8));
}

void MainWindow::updateInterface()
{
    m_commandBar->setFormats(m_templates.converterList());
}

void MainWindow::setStatusText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= m_statusPanels.size())
        m_statusPanels[panel - 1]->setText(text);
}

QString MainWindow::statusText(int panel) const
{
    return panel >= 1 && panel <= m_statusPanels.size() ? m_statusPanels[panel - 1]->text() : QString();
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
    setStatusText(1, QStringLiteral("MESSAGE SAVED"));
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

void MainWindow::checkReplies()
{
    m_check->start();
}

void MainWindow::showAndCheckReplies()
{
    m_lists->selectPostsTab(1);
    checkReplies();
}

void MainWindow::chooseAutoCheck()
{
    const QList<int> minutes = CheckScheduler::choices();
    int index = static_cast<int>(minutes.indexOf(
        CheckScheduler::minutesFromSetting(m_services.settings->read(kSettings, kAutoCheckMinutes, QString()))));
    if (!m_services.dialogs->choose(this, tr("Check for new replies while Postmaven is open:"),
            tr("Check Replies Automatically"), CheckScheduler::choiceNames(), &index)
        || index < 0 || index >= minutes.size())
        return;
    m_services.settings->write(kSettings, kAutoCheckMinutes, QString::number(minutes[index]));
    m_scheduler->setIntervalMinutes(minutes[index]);
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

void MainWindow::showCheckFailures()
{
    QStringList lines;
    for (const CheckFailure &f : m_check->failures())
        lines.append(QStringLiteral("%1: %2 (%3)").arg(f.address, f.description).arg(f.number));
    m_statusPanels.first()->setToolTip(lines.join(QLatin1Char('\n')));
}
