#pragma once

#include <QString>

// What a password store answered.
struct PasswordResult {
    enum class Status { Done, NotFound, Failed };
    Status status = Status::Failed;
    QString password; // what a read found
    QString error; // why it failed

    bool ok() const { return status != Status::Failed; }
    bool found() const { return status == Status::Done; }

    static PasswordResult done(const QString &password = QString()) { return { Status::Done, password, QString() }; }
    static PasswordResult notFound() { return { Status::NotFound, QString(), QString() }; }
    static PasswordResult failed(const QString &error) { return { Status::Failed, QString(), error }; }
};

// Where the forums' passwords are kept, one per forum address: the system
// keyring, or the password field of posts2.txt.
class PasswordStore {
public:
    virtual ~PasswordStore() = default;

    // NotFound when no password is kept for the address.
    virtual PasswordResult read(const QString &address) = 0;
    // The user name goes along so that the keyring can show whose password it is.
    virtual PasswordResult write(const QString &address, const QString &userName, const QString &password) = 0;
    // Done also when nothing was kept for the address.
    virtual PasswordResult remove(const QString &address) = 0;
    // Whether the store is there to be used at all; asked once, when the
    // window opens. A keyring answers when a Secret Service does.
    virtual bool answers() { return true; }
    // Makes the writes and removals so far last. The keyring keeps each one
    // at once; the file is written here.
    virtual bool flush(QString *error)
    {
        Q_UNUSED(error);
        return true;
    }
};
