#include "watch/forum_logins.h"

#include "platform/dialog_service.h"
#include "platform/identity.h"
#include "watch/watch_store.h"

ForumLogins::ForumLogins(WatchStore &store, DialogService &dialogs, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_dialogs(dialogs)
{
}

int ForumLogins::addForum(const QString &url)
{
    ForumsModel &forums = m_store.forums();
    if (forums.indexOf(url) >= 0)
        return -1;
    // A new forum's login row is "|" until its boxes are filled in.
    forums.add(url, QStringLiteral("|"));
    return forums.count() - 1;
}

void ForumLogins::removeForum(int row)
{
    if (row < 0 || row >= m_store.forums().count())
        return;
    m_store.forums().removeAt(row);
    saveLogins();
}

void ForumLogins::setLogin(int row, const QString &userName, const QString &password)
{
    if (row < 0 || row >= m_store.forums().count())
        return;
    m_store.forums().setLogin(row, ForumsModel::joinLogin(userName, password));
    saveLogins();
}

bool ForumLogins::saveLogins()
{
    FileProblem problem;
    if (m_store.saveForums(&problem)) {
        m_failureShown = false;
        return true;
    }
    // The login boxes save on every keystroke: a failure is shown once, not
    // once per key, until a save succeeds again.
    if (m_failureShown)
        return false;
    m_failureShown = true;
    m_dialogs.message(nullptr,
        QStringLiteral("There was an error saving your logins.\r\n\r\nError Number %1\r\n%2")
            .arg(problem.number)
            .arg(problem.error),
        Identity::productName());
    return false;
}
