#pragma once

#include "platform/password_store.h"

#include <functional>

class ForumsModel;

// The password field of posts2.txt, as the forum list holds it. The keyring
// keeps one password per address, so the rows of one address are taken
// together: a read finds the one password they keep (and fails when two rows
// keep different ones), a write fills the rows that keep none, a removal
// empties them all. Changes reach the file when flush saves the list, once
// for a whole batch.
class FilePasswordStore : public PasswordStore {
public:
    // save writes posts2.txt and shows what went wrong itself.
    FilePasswordStore(ForumsModel &forums, std::function<bool()> save);

    PasswordResult read(const QString &address) override;
    PasswordResult write(const QString &address, const QString &userName, const QString &password) override;
    PasswordResult remove(const QString &address) override;
    bool flush(QString *error) override;

private:
    ForumsModel &m_forums;
    std::function<bool()> m_save;
};
