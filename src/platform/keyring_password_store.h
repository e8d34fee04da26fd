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
    // Asks now and waits for nothing: the program starts it before its
    // windows are built, so the keyring answers while they are, and
    // answers() then finds the answer there.
    void startProbe();
    bool answers() override;

    PasswordResult read(const QString &address) override;
    PasswordResult write(const QString &address, const QString &userName, const QString &password) override;
    PasswordResult remove(const QString &address) override;

private:
    struct Pending;
    // Starts a job whose answer lands in the returned state.
    std::shared_ptr<Pending> begin(QKeychain::Job *job);
    PasswordResult finish(const std::shared_ptr<Pending> &pending);
    PasswordResult run(QKeychain::Job *job);
    void describeItem(const QString &address, const QString &userName);

    int m_waitMs;
    // Jobs given up on that have not answered yet.
    std::shared_ptr<int> m_unanswered = std::make_shared<int>(0);
    std::shared_ptr<Pending> m_probe; // the probe startProbe() sent
};
