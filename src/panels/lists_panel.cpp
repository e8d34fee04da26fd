#include "panels/lists_panel.h"

#include "logins/forum_logins.h"
#include "logins/forums_model.h"
#include "ui/placement.h"
#include "watch/reply_check.h"
#include "watch/watch_store.h"

#include <QAction>
#include <QFrame>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>

namespace {

QListView *makeList(
    QWidget *parent, const char *name, QAbstractItemModel *model, int column, int left, int top, int width, int height)
{
    auto *view = makeControl<QListView>(parent, name, left, top, width, height);
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
    // The pages lie over the tab strip, which is not their container.
    m_pageTabs = makeControl<QTabBar>(this, "TabStrip2", 0, 0, 3735, 4815);
    m_pageTabs->addTab(QStringLiteral("Your Forums"));
    m_pageTabs->addTab(QStringLiteral("Your Posts"));
    m_pageTabs->setDrawBase(false);
    m_pageTabs->setExpanding(false);
    buildForumsPage();
    buildPostsPage();
    connect(m_pageTabs, &QTabBar::currentChanged, this, &ListsPanel::showPage);
}

void ListsPanel::buildForumsPage()
{
    m_forumsPage = makeControl<QFrame>(this, "Frame4", 120, 420, 3615, 4335);
    QFrame *page = m_forumsPage;
    auto *add = makeControl<QPushButton>(page, "cmdAdd2", 60, 240, 1695, 375);
    add->setText(QStringLiteral("Add Current URL"));
    add->setToolTip(QStringLiteral("Watch the current URL"));
    auto *remove = makeControl<QPushButton>(page, "cmdDel2", 1860, 240, 1695, 375);
    remove->setText(QStringLiteral("Remove URL"));
    makeSkinLabel(page, "SkinLabel4", QStringLiteral("Username:"), 60, 720, 975, 195);
    m_userNameBox = makeControl<QLineEdit>(page, "txtUsername", 1080, 660, 1755, 315);
    m_userNameBox->setEnabled(false);
    auto *pasteUser = makeControl<QPushButton>(page, "cmdPaste_1", 2880, 660, 675, 315);
    pasteUser->setText(QStringLiteral("Paste"));
    pasteUser->setToolTip(
        QStringLiteral("Click within the Username field on the form you want to paste into, then click here."));
    makeSkinLabel(page, "SkinLabel5", QStringLiteral("Password:"), 60, 1080, 975, 255);
    m_passwordBox = makeControl<QLineEdit>(page, "txtPassword", 1080, 1020, 1755, 285);
    m_passwordBox->setEchoMode(QLineEdit::Password);
    m_passwordBox->setEnabled(false);
    auto *pastePassword = makeControl<QPushButton>(page, "cmdPaste_2", 2880, 1020, 675, 315);
    pastePassword->setText(QStringLiteral("Paste"));
    pastePassword->setToolTip(
        QStringLiteral("Click within the Password field on the form you want to paste into, then click here."));
    ForumsModel *forums = &m_logins.forums();
    m_forumList = makeList(page, "lstPosts2", forums, ForumsModel::AddressColumn, 60, 1380, 3435, 1425);
    m_loginList = makeList(page, "lstLogins", forums, ForumsModel::LoginColumn, 600, 6780, 3735, 450);
    m_loginList->hide();

    m_addForum = buttonAction(add, "addCurrentForum");
    connect(buttonAction(remove, "removeForum"), &QAction::triggered, this, &ListsPanel::removeSelectedForum);
    m_pasteUserName = pasteButtonAction(pasteUser, "pasteUserName");
    m_pastePassword = pasteButtonAction(pastePassword, "pastePassword");
    connect(m_forumList->selectionModel(), &QItemSelectionModel::currentChanged, this, &ListsPanel::onForumSelected);
    connect(m_forumList, &QListView::doubleClicked, this,
        [this](const QModelIndex &index) { emit forumOpened(textAt(index)); });
    connect(m_userNameBox, &QLineEdit::textChanged, this, &ListsPanel::onLoginEdited);
    connect(m_passwordBox, &QLineEdit::textChanged, this, &ListsPanel::onLoginEdited);
}

void ListsPanel::buildPostsPage()
{
    m_postsPage = makeControl<QFrame>(this, "Frame3", 120, 360, 3615, 4335);
    m_postsPage->hide();
    QFrame *page = m_postsPage;
    m_watchButton = makePictureButton(page, "cmdAdd", QStringLiteral("Watch This Post"),
        QStringLiteral("Watch the current URL"), QStyle::SP_DialogYesButton, 60, 240, 1695, 495, false);
    m_removeWatchButton = makePictureButton(page, "cmdDel", QStringLiteral("Remove Watch"), QString(),
        QStyle::SP_DialogNoButton, 1800, 240, 1695, 495, false);
    m_postsTabs = makeControl<QTabBar>(page, "TabStrip1", 60, 780, 3495, 315);
    m_postsTabs->addTab(QStringLiteral("Show All"));
    m_postsTabs->setTabData(0, QStringLiteral("all"));
    m_postsTabs->addTab(QStringLiteral("New Replies "));
    m_postsTabs->setTabData(1, QStringLiteral("replies"));
    m_postsTabs->setExpanding(false);
    m_checkButton = makeControl<QPushButton>(page, "cmdReplies", 60, 1140, 3435, 315);
    m_checkButton->setText(QStringLiteral("Check for new replies"));
    m_checkButton->hide();
    WatchedPostsModel *posts = &m_store.posts();
    m_postList = makeList(page, "lstPosts", posts, WatchedPostsModel::AddressColumn, 60, 1500, 3435, 1620);
    m_newRepliesList = makeList(page, "lstNew", m_check.newRepliesModel(), 0, 60, 1500, 3435, 1230);
    m_newRepliesList->hide();
    m_sizeList = makeList(page, "lstSizes", posts, WatchedPostsModel::SizeColumn, 5160, 7800, 3735, 450);
    m_sizeList->hide();

    m_watchThisPost = buttonAction(m_watchButton, "watchCurrentPage");
    connect(
        buttonAction(m_removeWatchButton, "removeWatch"), &QAction::triggered, this, &ListsPanel::removeSelectedWatch);
    m_checkReplies = buttonAction(m_checkButton, "checkReplies");
    connect(m_postsTabs, &QTabBar::currentChanged, this, &ListsPanel::showPostsTab);
    for (QListView *list : { m_postList, m_newRepliesList }) {
        connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &index) {
            if (index.isValid())
                emit statusText(2, textAt(index));
        });
        connect(list, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { emit postOpened(textAt(index)); });
    }
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
    return row < 0 ? QString() : m_logins.forums().at(row).url;
}

void ListsPanel::fitTo(int postsPageHeight, int forumsPageHeight, int postsHeight, int forumsHeight,
    int newRepliesHeight, int tabStripHeight)
{
    resizeInTwips(this, 3735, tabStripHeight);
    setHeightInTwips(m_pageTabs, tabStripHeight);
    setHeightInTwips(m_postsPage, postsPageHeight);
    setHeightInTwips(m_forumsPage, forumsPageHeight);
    setHeightInTwips(m_postList, postsHeight);
    setHeightInTwips(m_forumList, forumsHeight);
    setHeightInTwips(m_newRepliesList, newRepliesHeight);
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
    const int row = m_logins.addForum(url);
    if (row < 0)
        return;
    m_forumList->setCurrentIndex(m_forumList->model()->index(row, 0));
    m_userNameBox->setText(QStringLiteral("Enter Username"));
    m_passwordBox->setText(QString());
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
}

void ListsPanel::onForumSelected(const QModelIndex &current)
{
    const int row = current.row();
    if (!current.isValid() || row >= m_logins.forums().count())
        return;
    const Forum &forum = m_logins.forums().at(row);
    emit statusText(2, forum.url);
    m_userNameBox->setEnabled(true);
    m_passwordBox->setEnabled(true);
    const QString login = forum.login;
    if (login.isEmpty()) {
        // The boxes must not carry the previous forum's login over to this
        // one; emptying them stores nothing until the user types.
        QSignalBlocker blockUser(m_userNameBox);
        QSignalBlocker blockPassword(m_passwordBox);
        m_userNameBox->clear();
        m_passwordBox->clear();
        return;
    }
    const PasswordResult password = m_logins.password(row);
    const bool changed
        = m_userNameBox->text() != ForumsModel::userName(login) || m_passwordBox->text() != password.password;
    {
        // Both boxes are filled before the row is stored: filled one by one,
        // the new user name would be stored with the previous forum's password.
        QSignalBlocker blockUser(m_userNameBox);
        QSignalBlocker blockPassword(m_passwordBox);
        m_userNameBox->setText(ForumsModel::userName(login));
        m_passwordBox->setText(password.password);
    }
    if (!password.ok()) {
        // The keyring did not answer: the login can be neither shown nor
        // changed, or an edit would store the empty box as its password.
        m_userNameBox->setEnabled(false);
        m_passwordBox->setEnabled(false);
        return;
    }
    // A box that changed stores the row and saves, as typing does.
    if (changed)
        m_logins.setLogin(row, m_userNameBox->text(), m_passwordBox->text());
}

void ListsPanel::onLoginEdited()
{
    const QModelIndex current = m_forumList->currentIndex();
    if (!current.isValid())
        return; // no forum selected: nothing to store
    m_logins.setLogin(current.row(), m_userNameBox->text(), m_passwordBox->text());
}
