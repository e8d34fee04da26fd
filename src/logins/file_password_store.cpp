#include "logins/file_password_store.h"

#include "logins/forums_model.h"

#include <QSet>

FilePasswordStore::FilePasswordStore(ForumsModel &forums, std::function<bool()> save)
    : m_forums(forums)
    , m_save(std::move(save))
{
}

PasswordResult FilePasswordStore::read(const QString &address)
{
    QSet<QString> kept;
    for (int row = 0; row < m_forums.count(); ++row) {
        const Forum &f = m_forums.at(row);
        if (f.address == address && !f.password.isEmpty())
            kept.insert(f.password);
    }
    if (kept.isEmpty())
        return PasswordResult::notFound();
    if (kept.size() > 1)
        return PasswordResult::failed(
            QStringLiteral("The forum is listed more than once with different passwords, and the keyring keeps "
                           "one password for each address."));
    return PasswordResult::done(*kept.begin());
}

PasswordResult FilePasswordStore::write(const QString &address, const QString &userName, const QString &password)
{
    Q_UNUSED(userName);
    bool listed = false;
    for (int row = 0; row < m_forums.count(); ++row) {
        const Forum &f = m_forums.at(row);
        if (f.address != address)
            continue;
        listed = true;
        // A row that keeps a password of its own is not written over.
        if (f.password.isEmpty())
            m_forums.setLogin(row, f.userName, password);
    }
    return listed ? PasswordResult::done() : PasswordResult::failed(QStringLiteral("The forum is not listed."));
}

PasswordResult FilePasswordStore::remove(const QString &address)
{
    for (int row = 0; row < m_forums.count(); ++row) {
        const Forum &f = m_forums.at(row);
        if (f.address == address && !f.password.isEmpty())
            m_forums.setLogin(row, f.userName, QString());
    }
    return PasswordResult::done();
}

bool FilePasswordStore::flush(QString *error)
{
    if (m_save())
        return true;
    if (error)
        *error = QStringLiteral("posts2.txt could not be written.");
    return false;
}
