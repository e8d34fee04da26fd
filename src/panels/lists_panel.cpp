#include "panels/lists_panel.h"

#include "logins/forum_logins.h"
#include "logins/forums_model.h"
#include "platform/list_records.h"
#include "ui/controls.h"
#include "watch/reply_check.h"
#include "watch/watch_store.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QListView *makeList(QWidget *parent, const char *name, QAbstractItemModel *model, int column)
{
    auto *view = named<QListView>(parent, name);
    view->setModel(model);
    view->setModelColumn(column);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setUniformItemSizes(true);
    return view;
}

int selectedRow(const QListView *view)
{
    const QModelIndex current = view->currentIndex();
    if (!current.isValid() || !view->selectionModel()->isSelected(current))
        return -1;
    return current.row();
}

// The address a row stands for: the new replies show more than their address.
QString textAt(const QModelIndex &index)
{
    const QVariant address = index.data(NewRepliesModel::AddressRole);
    return address.isValid() ? address.toString() : index.data(Qt::DisplayRole).toString();
}

} // namespace

ListsPanel::ListsPanel(WatchStore &store, ForumLogins &logins, ReplyCheckRun &check, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_logins(logins)
    , m_check(check)
{
    setObjectName(QStringLiteral("listsPanel"));
    m_pageTabs = named<QTabBar>(this, "TabStrip2");
    m_pageTabs->addTab(QStringLiteral("Your Forums"));
    m_pageTabs->addTab(QStringLiteral("Your Posts"));
    m_pageTabs->setExpanding(false);
    m_pageTabs->setAccessibleName(QStringLiteral("Your Forums, Your Posts"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_pageTabs);
    buildForumsPage();
    buildPostsPage();
    // One page shows at a time, below the tabs.
    column->addWidget(m_forumsPage, 1);
    column->addWidget(m_postsPage, 1);
    connect(m_pageTabs, &QTabBar::currentChanged, this, &ListsPanel::showPage);
}

void ListsPanel::buildForumsPage()
{
    m_forumsPage = named<QFrame>(this, "Frame4");
    m_forumsPage->setFrameShape(QFrame::StyledPanel);
    QFrame *page = m_forumsPage;
    auto *add = named<QPushButton>(page, "cmdAdd2");
    add->setText(QStringLiteral("Add Current URL"));
    add->setToolTip(QStringLiteral("Watch the current URL"));
    auto *remove = named<QPushButton>(page, "cmdDel2");
    remove->setText(QStringLiteral("Remove URL"));
    m_userNameBox = named<QLineEdit>(page, "txtUsername");
    m_userNameBox->setEnabled(false);
    // A suggestion, never a user name of its own.
    m_userNameBox->setPlaceholderText(QStringLiteral("Enter Username"));
    // "|" would part the user name from itself in posts2.txt: the box refuses it.
    m_userNameBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^|]*")), m_userNameBox));
    auto *pasteUser = pasteButton(page, "cmdPaste_1",
        QStringLiteral("Click within the Username field on the form you want to paste into, then click here."),
        QStringLiteral("Paste Username"));
    m_passwordBox = named<QLineEdit>(page, "txtPassword");
    m_passwordBox->setEchoMode(QLineEdit::Password);
    m_passwordBox->setEnabled(false);
    auto *pastePassword = pasteButton(page, "cmdPaste_2",
        QStringLiteral("Click within the Password field on the form you want to paste into, then click here."),
        QStringLiteral("Paste Password"));
    ForumsModel *forums = &m_logins.forums();
    m_forumList = makeList(page, "lstPosts2", forums, ForumsModel::AddressColumn);
    m_forumList->setAccessibleName(QStringLiteral("Your Forums"));
    makeList(page, "lstLogins", forums, ForumsModel::LoginColumn)->hide();

    auto *grid = new QGridLayout(page);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    grid->addLayout(buttons, 0, 0, 1, 3);
    grid->addWidget(labelFor(page, "SkinLabel4", QStringLiteral("Username:"), m_userNameBox), 1, 0);
    grid->addWidget(m_userNameBox, 1, 1);
    grid->addWidget(pasteUser, 1, 2);
    grid->addWidget(labelFor(page, "SkinLabel5", QStringLiteral("Password:"), m_passwordBox), 2, 0);
    grid->addWidget(m_passwordBox, 2, 1);
    grid->addWidget(pastePassword, 2, 2);
    grid->addWidget(m_forumList, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    m_addForum = command(this, "addCurrentForum", QStringLiteral("Add Current URL"));
    auto *removeForum = command(this, "removeForum", QStringLiteral("Remove URL"));
    m_pasteUserName = command(this, "pasteUserName", QStringLiteral("Paste Username"));
    m_pastePassword = command(this, "pastePassword", QStringLiteral("Paste Password"));
    runsCommand(add, m_addForum);
    runsCommand(remove, removeForum);
    runsPasteCommand(pasteUser, m_pasteUserName);
    runsPasteCommand(pastePassword, m_pastePassword);
    connect(removeForum, &QAction::triggered, this, &ListsPanel::removeSelectedForum);
    connect(m_forumList->selectionModel(), &QItemSelectionModel::currentChanged, this, &ListsPanel::onForumSelected);
    connect(m_forumList->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListsPanel::followLoginState);
    connect(m_forumList, &QListView::doubleClicked, this,
        [this](const QModelIndex &index) { emit forumOpened(textAt(index)); });
    connect(m_userNameBox, &QLineEdit::textChanged, this, &ListsPanel::onLoginEdited);
    connect(m_passwordBox, &QLineEdit::textChanged, this, &ListsPanel::onLoginEdited);
    followLoginState();
}

void ListsPanel::buildPostsPage()
{
    m_postsPage = named<QFrame>(this, "Frame3");
    m_postsPage->setFrameShape(QFrame::StyledPanel);
    m_postsPage->hide();
    QFrame *page = m_postsPage;
    m_watchButton = pictureButton(page, "cmdAdd", QStringLiteral("Watch This Post"),
        QStringLiteral("Watch the current URL"), QStyle::SP_DialogYesButton, Qt::ToolButtonTextBesideIcon);
    m_removeWatchButton = pictureButton(page, "cmdDel", QStringLiteral("Remove Watch"), QString(),
        QStyle::SP_DialogNoButton, Qt::ToolButtonTextBesideIcon);
    m_postsTabs = named<QTabBar>(page, "TabStrip1");
    m_postsTabs->addTab(QStringLiteral("Show All"));
    m_postsTabs->setTabData(0, QStringLiteral("all"));
    m_postsTabs->addTab(QStringLiteral("New Replies "));
    m_postsTabs->setTabData(1, QStringLiteral("replies"));
    m_postsTabs->setExpanding(false);
    m_postsTabs->setAccessibleName(QStringLiteral("Show All, New Replies"));
    m_checkButton = named<QPushButton>(page, "cmdReplies");
    m_checkButton->setText(QStringLiteral("Check for new replies"));
    m_checkButton->hide();
    WatchedPostsModel *posts = &m_store.posts();
    m_postList = makeList(page, "lstPosts", posts, WatchedPostsModel::AddressColumn);
    m_postList->setAccessibleName(QStringLiteral("Your Posts"));
    m_newRepliesList = makeList(page, "lstNew", m_check.newRepliesModel(), 0);
    m_newRepliesList->setAccessibleName(QStringLiteral("New Replies"));
    m_newRepliesList->hide();
    makeList(page, "lstSizes", posts, WatchedPostsModel::SizeColumn)->hide();

    auto *column = new QVBoxLayout(page);
    auto *buttons = new QHBoxLayout;
    for (QToolButton *b : { m_watchButton, m_removeWatchButton }) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        buttons->addWidget(b);
    }
    column->addLayout(buttons);
    column->addWidget(m_postsTabs);
    column->addWidget(m_checkButton);
    column->addWidget(m_postList, 1);
    column->addWidget(m_newRepliesList, 1);

    m_watchThisPost = command(this, "watchCurrentPage", QStringLiteral("Watch This Post"));
    auto *removeWatch = command(this, "removeWatch", QStringLiteral("Remove Watch"));
    m_checkReplies = command(this, "checkReplies", QStringLiteral("&Check Replies"));
    runsCommand(m_watchButton, m_watchThisPost);
    runsCommand(m_removeWatchButton, removeWatch);
    runsCommand(m_checkButton, m_checkReplies);
    connect(removeWatch, &QAction::triggered, this, &ListsPanel::removeSelectedWatch);
    connect(m_postsTabs, &QTabBar::currentChanged, this, &ListsPanel::showPostsTab);
    for (QListView *list : { m_postList, m_newRepliesList }) {
        connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &index) {
            if (index.isValid())
                emit addressSelected(textAt(index));
        });
        connect(list, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { emit postOpened(textAt(index)); });
    }
    // A check needs posts to check, and one run at a time.
    for (auto signal : { &QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved })
        connect(posts, signal, this, &ListsPanel::followCheckState);
    connect(posts, &QAbstractItemModel::modelReset, this, &ListsPanel::followCheckState);
    connect(&m_check, &ReplyCheckRun::started, this, &ListsPanel::followCheckState);
    connect(&m_check, &ReplyCheckRun::finished, this, &ListsPanel::followCheckState);
    followCheckState();
}

void ListsPanel::followCheckState()
{
    m_checkReplies->setEnabled(m_store.posts().count() > 0 && !m_check.isRunning());
}

void ListsPanel::followLoginState()
{
    m_pastePassword->setEnabled(selectedRow(m_forumList) >= 0 && !m_passwordBox->text().isEmpty());
}

QString ListsPanel::userName() const
{
    return m_userNameBox->text();
}

QString ListsPanel::password() const
{
    return m_passwordBox->text();
}

QString ListsPanel::selectedForum() const
{
    const int row = selectedRow(m_forumList);
    return row < 0 ? QString() : m_logins.forums().at(row).address;
}

void ListsPanel::showPage(int index)
{
    if (index == 0) {
        m_postsPage->hide();
        m_forumsPage->show();
    } else if (index == 1) {
        m_postsPage->show();
        m_forumsPage->hide();
    }
}

void ListsPanel::showPostsTab()
{
    const int index = m_postsTabs->currentIndex();
    if (index < 0)
        return;
    const bool all = m_postsTabs->tabData(index).toString() == QLatin1String("all");
    m_removeWatchButton->setVisible(all);
    m_watchButton->setVisible(all);
    m_checkButton->setVisible(!all);
    m_postList->setVisible(all);
    m_newRepliesList->setVisible(!all);
}

void ListsPanel::selectPostsTab(int index)
{
    if (m_postsTabs->currentIndex() == index)
        showPostsTab();
    else
        m_postsTabs->setCurrentIndex(index);
}

void ListsPanel::removeSelectedWatch()
{
    const int row = selectedRow(m_postList);
    if (row < 0)
        return;
    QItemSelectionModel *selection = m_postList->selectionModel();
    {
        QSignalBlocker block(selection);
        m_store.posts().removeAt(row);
        selection->clear();
    }
    // The place stays where it was: the post that moved up becomes current,
    // not selected, so a second click removes nothing by accident.
    if (row < m_store.posts().count())
        selection->setCurrentIndex(m_postList->model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

void ListsPanel::addForum(const QString &url)
{
    if (const QString refusal = addressRefusal(url); !refusal.isEmpty()) {
        emit addressRefused(QStringLiteral("Not added: %1").arg(refusal));
        return;
    }
    const int row = m_logins.addForum(url);
    if (row < 0)
        return;
    m_forumList->setCurrentIndex(m_forumList->model()->index(row, 0));
    // Empty boxes: the user name box suggests "Enter Username" until one is typed.
    m_userNameBox->clear();
    m_passwordBox->clear();
    m_logins.saveLogins();
}

void ListsPanel::removeSelectedForum()
{
    const int row = selectedRow(m_forumList);
    if (row < 0)
        return;
    QItemSelectionModel *selection = m_forumList->selectionModel();
    {
        // No forum is selected afterwards; the boxes keep their text.
        QSignalBlocker block(selection);
        m_logins.removeForum(row);
        selection->clear();
    }
    m_forumList->viewport()->update();
    followLoginState();
}

void ListsPanel::onForumSelected(const QModelIndex &current)
{
    const int row = current.row();
    if (!current.isValid() || row >= m_logins.forums().count())
        return;
    const Forum forum = m_logins.forums().at(row);
    emit addressSelected(forum.address);
    m_userNameBox->setEnabled(true);
    m_passwordBox->setEnabled(true);
    const PasswordResult password = m_logins.password(row);
    const bool noLogin = password.ok() && forum.userName.isEmpty() && password.password.isEmpty();
    const bool changed = m_userNameBox->text() != forum.userName || m_passwordBox->text() != password.password;
    {
        // Both boxes are filled before the row is stored: filled one by one,
        // the new user name would be stored with the previous forum's password.
        QSignalBlocker blockUser(m_userNameBox);
        QSignalBlocker blockPassword(m_passwordBox);
        m_userNameBox->setText(forum.userName);
        m_passwordBox->setText(password.password);
    }
    followLoginState();
    if (!password.ok()) {
        // The keyring did not answer: the login can be neither shown nor
        // changed, or an edit would store the empty box as its password.
        m_userNameBox->setEnabled(false);
        m_passwordBox->setEnabled(false);
        return;
    }
    // A box that changed stores the row and saves, as typing does; a forum
    // without a login is not given the previous forum's one, and stores
    // nothing until the user types.
    if (changed && !noLogin)
        m_logins.setLogin(row, m_userNameBox->text(), m_passwordBox->text());
}

void ListsPanel::onLoginEdited()
{
    followLoginState();
    const QModelIndex current = m_forumList->currentIndex();
    if (!current.isValid())
        return; // no forum selected: nothing to store
    m_logins.setLogin(current.row(), m_userNameBox->text(), m_passwordBox->text());
}
