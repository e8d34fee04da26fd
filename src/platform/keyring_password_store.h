#pragma once

#include "platform/password_store.h"

#include <memory>

namespace QKeychain {
class Job;
}

// Passwords in the system keyring (the Secret Service, or KWallet), through
// QtKeychain: service "Postmaven", the forum's address as the key. Jobs run
// asynchronously; each call waits for its answer in an event loop that keeps
// the windows drawn and holds user input back, and gives up after waitMs, so
// a keyring that never answers cannot hang the program. QtKeychain runs its
// jobs one after another: while one it gave up on is still out, calls fail at
// once instead of waiting behind it.
class KeyringPasswordStore : public PasswordStore {
public:
    static const QString kService;
    static constexpr int kDefaultWaitMs = 3000;

    explicit KeyringPasswordStore(int waitMs = kDefaultWaitMs);

    // Whether a keyring answers at all: a read that finds nothing is an answer.
    PasswordResult probe();
    bool answers() override { return probe().ok(); }

    PasswordResult read(const QString &address) override;
    PasswordResult write(const QString &address, const QString &userName, const QString &password) override;
    PasswordResult remove(const QString &address) override;

private:
    PasswordResult run(QKeychain::Job *job);
    void describeItem(const QString &address, const QString &userName);

    int m_waitMs;
    // Jobs given up on that have not answered yet.
    std::shared_ptr<int> m_unanswered = std::make_shared<int>(0);
};
