#pragma once

#include "platform/password_store.h"

#include <QMap>
#include <QSet>
#include <QStringList>

#include <functional>

// A keyring in memory, or a watch over another store (a real keyring). It
// can misbehave: writes of the addresses in `refused` fail, reads of those in
// `unreadable` fail, reads of those in `garbled` give a wrong password, and
// when `answers` is false every call fails as with a keyring that has gone.
class MemoryPasswordStore : public PasswordStore {
public:
    explicit MemoryPasswordStore(PasswordStore *inner = nullptr)
        : m_inner(inner)
    {
    }

    PasswordResult read(const QString &address) override
    {
        calls.append(QStringLiteral("read ") + address);
        if (!answers || unreadable.contains(address))
            return PasswordResult::failed(QStringLiteral("The keyring could not give the password."));
        PasswordResult r = m_inner      ? m_inner->read(address)
            : entries.contains(address) ? PasswordResult::done(entries.value(address))
                                        : PasswordResult::notFound();
        if (r.found() && garbled.contains(address))
            r.password += QLatin1Char('?');
        return r;
    }
    PasswordResult write(const QString &address, const QString &userName, const QString &password) override
    {
        calls.append(QStringLiteral("write ") + address);
        if (onWrite)
            onWrite(address);
        if (!answers)
            return PasswordResult::failed(QStringLiteral("The keyring is gone."));
        if (refused.contains(address))
            return PasswordResult::failed(QStringLiteral("The keyring refused the write."));
        if (m_inner)
            return m_inner->write(address, userName, password);
        entries.insert(address, password);
        userNames.insert(address, userName);
        return PasswordResult::done();
    }
    PasswordResult remove(const QString &address) override
    {
        calls.append(QStringLiteral("remove ") + address);
        if (!answers)
            return PasswordResult::failed(QStringLiteral("The keyring is gone."));
        if (m_inner)
            return m_inner->remove(address);
        entries.remove(address);
        userNames.remove(address);
        return PasswordResult::done();
    }

    QMap<QString, QString> entries;
    QMap<QString, QString> userNames;
    QSet<QString> refused;
    QSet<QString> unreadable;
    QSet<QString> garbled;
    bool answers = true;
    QStringList calls;
    // Runs as a write begins: what the files hold at that moment.
    std::function<void(const QString &address)> onWrite;

private:
    PasswordStore *m_inner;
};
