#pragma once

#include <QWidget>

class ForumLogins;
class QAction;
class QFrame;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QTabBar;
class QToolButton;
class ReplyCheckRun;
class WatchStore;

// The two pages under the message editor: "Your Forums" (the forums with
// their user names and passwords) and "Your Posts" (the watched posts and the
// new replies found by the last check). The lists are views of the models in
// the watch store and the check run, and take the room the panel is given.
class ListsPanel : public QWidget {
    Q_OBJECT
public:
    ListsPanel(WatchStore &store, ForumLogins &logins, ReplyCheckRun &check, QWidget *parent = nullptr);

    QAction *watchThisPostAction() const { return m_watchThisPost; }
    QAction *addForumAction() const { return m_addForum; }
    QAction *checkRepliesAction() const { return m_checkReplies; }
    QAction *pasteUserNameAction() const { return m_pasteUserName; }
    QAction *pastePasswordAction() const { return m_pastePassword; }

    QString userName() const;
    QString password() const;
    // The address of the selected forum, or empty.
    QString selectedForum() const;

public slots:
    // Adds the address as a forum and selects it for its login.
    void addForum(const QString &url);
    void removeSelectedForum();
    void removeSelectedWatch();
    // 0 "Show All", 1 "New Replies ": selecting acts as a click, even on the tab shown.
    void selectPostsTab(int index);

signals:
    // A click on a post, a new reply or a forum: its address.
    void addressSelected(const QString &url);
    // A double-click on a watched post or a new reply, or on a forum.
    void postOpened(const QString &url);
    void forumOpened(const QString &url);
    // Add Current URL was refused the address, for the reason given.
    void addressRefused(const QString &why);

private:
    void buildForumsPage();
    void buildPostsPage();
    void showPage(int index);
    void showPostsTab();
    void onForumSelected(const QModelIndex &current);
    void onLoginEdited();
    // Check Replies: posts to check and no run going. Paste Password: a forum with a password.
    void followCheckState();
    void followLoginState();

    WatchStore &m_store;
    ForumLogins &m_logins;
    ReplyCheckRun &m_check;

    QTabBar *m_pageTabs = nullptr;
    QFrame *m_forumsPage = nullptr;
    QFrame *m_postsPage = nullptr;
    QLineEdit *m_userNameBox = nullptr;
    QLineEdit *m_passwordBox = nullptr;
    QListView *m_forumList = nullptr;
    QToolButton *m_watchButton = nullptr;
    QToolButton *m_removeWatchButton = nullptr;
    QTabBar *m_postsTabs = nullptr;
    QPushButton *m_checkButton = nullptr;
    QListView *m_postList = nullptr;
    QListView *m_newRepliesList = nullptr;

    QAction *m_watchThisPost = nullptr;
    QAction *m_addForum = nullptr;
    QAction *m_checkReplies = nullptr;
    QAction *m_pasteUserName = nullptr;
    QAction *m_pastePassword = nullptr;
};
