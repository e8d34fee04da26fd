#pragma once

#include <QObject>
#include <QString>

class DialogService;
class WatchStore;

// Edits the forum list and its logins. Every change is written to posts2.txt
// at once; a failed write shows "There was an error saving your logins.",
// once until a save succeeds again.
class ForumLogins : public QObject {
    Q_OBJECT
public:
    ForumLogins(WatchStore &store, DialogService &dialogs, QObject *parent = nullptr);

    // Adds a forum with an empty user name and password; -1 when the address is listed already.
    int addForum(const QString &url);
    void removeForum(int row);
    // Stores the row's login and saves.
    void setLogin(int row, const QString &userName, const QString &password);

    bool saveLogins();

private:
    WatchStore &m_store;
    DialogService &m_dialogs;
    bool m_failureShown = false;
};
