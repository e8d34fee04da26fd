#include "platform/keyring_password_store.h"

#include <qt6keychain/keychain.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QMap>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <utility>

const QString KeyringPasswordStore::kService = QStringLiteral("Postmaven");

namespace {

using StringMap = QMap<QString, QString>;

const QString kSecrets = QStringLiteral("org.freedesktop.secrets");
const QString kItemInterface = QStringLiteral("org.freedesktop.Secret.Item");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// A key no forum has: reading it asks the keyring for an answer and never
// for an unlock, since there is nothing to unlock.
const QString kProbeKey = QStringLiteral("postmaven:probe");

enum class WaitEnd { Answered, TimedOut, Interrupted };

// One answer awaited in an event loop. The loop may be gone when a late
// answer comes: the answer then only lands in the shared state.
class AnswerWait {
public:
    explicit AnswerWait(int waitMs)
        : m_waitMs(waitMs)
    {
    }

    std::function<void()> answered()
    {
        return [state = m_state] {
            state->answered = true;
            if (state->loop)
                state->loop->exit(1);
        };
    }

    WaitEnd wait()
    {
        if (m_state->answered)
            return WaitEnd::Answered;
        QEventLoop loop;
        m_state->loop = &loop;
        QTimer::singleShot(m_waitMs, &loop, [&loop] { loop.exit(2); });
        // The windows are drawn meanwhile; clicks and keys wait for the answer.
        const int end = loop.exec(QEventLoop::ExcludeUserInputEvents);
        m_state->loop = nullptr;
        if (m_state->answered)
            return WaitEnd::Answered;
        return end == 2 ? WaitEnd::TimedOut : WaitEnd::Interrupted;
    }

private:
    struct State {
        bool answered = false;
        QPointer<QEventLoop> loop;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
    int m_waitMs;
};

QString waitProblem(WaitEnd end, int waitMs)
{
    if (end == WaitEnd::TimedOut)
        return QStringLiteral("The keyring did not answer within %1 seconds. If it asks to be unlocked, unlock it "
                              "and try again.")
            .arg(waitMs / 1000.0);
    return QStringLiteral("The program is ending.");
}

QDBusMessage callAndWait(const QDBusMessage &call, int waitMs)
{
    QDBusPendingCallWatcher watcher(QDBusConnection::sessionBus().asyncCall(call, waitMs));
    AnswerWait wait(waitMs);
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &watcher,
        [done = wait.answered()](QDBusPendingCallWatcher *) { done(); });
    if (!watcher.isFinished())
        wait.wait();
    return watcher.isFinished() ? watcher.reply() : QDBusMessage();
}

} // namespace

KeyringPasswordStore::KeyringPasswordStore(int waitMs)
    : m_waitMs(waitMs)
{
}

struct KeyringPasswordStore::Pending {
    explicit Pending(int waitMs)
        : wait(waitMs)
    {
    }
    QKeychain::Error error = QKeychain::NoError;
    QString errorString;
    QString text;
    bool givenUp = false;
    AnswerWait wait;
};

std::shared_ptr<KeyringPasswordStore::Pending> KeyringPasswordStore::begin(QKeychain::Job *job)
{
    auto pending = std::make_shared<Pending>(m_waitMs);
    // The job deletes itself once it has answered, also after the wait gave up.
    QObject::connect(job, &QKeychain::Job::finished, job,
        [pending, unanswered = m_unanswered, done = pending->wait.answered()](QKeychain::Job *j) {
            pending->error = j->error();
            pending->errorString = j->errorString();
            if (auto *r = qobject_cast<QKeychain::ReadPasswordJob *>(j))
                pending->text = r->textData();
            if (pending->givenUp)
                --*unanswered;
            done();
        });
    job->start();
    return pending;
}

PasswordResult KeyringPasswordStore::finish(const std::shared_ptr<Pending> &pending)
{
    const WaitEnd end = pending->wait.wait();
    if (end != WaitEnd::Answered) {
        pending->givenUp = true;
        ++*m_unanswered;
        return PasswordResult::failed(waitProblem(end, m_waitMs));
    }
    switch (pending->error) {
    case QKeychain::NoError:
        return PasswordResult::done(pending->text);
    case QKeychain::EntryNotFound:
        return PasswordResult::notFound();
    default:
        return PasswordResult::failed(
            pending->errorString.isEmpty() ? QStringLiteral("The keyring refused.") : pending->errorString);
    }
}

PasswordResult KeyringPasswordStore::run(QKeychain::Job *job)
{
    if (*m_unanswered > 0) {
        delete job;
        return PasswordResult::failed(QStringLiteral("The keyring has not answered an earlier request yet."));
    }
    return finish(begin(job));
}

void KeyringPasswordStore::startProbe()
{
    if (m_probe || *m_unanswered > 0)
        return;
    auto *job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(kProbeKey);
    m_probe = begin(job);
}

bool KeyringPasswordStore::answers()
{
    if (!m_probe)
        return probe().ok();
    return finish(std::exchange(m_probe, nullptr)).ok();
}

PasswordResult KeyringPasswordStore::probe()
{
    return read(kProbeKey);
}

PasswordResult KeyringPasswordStore::read(const QString &address)
{
    auto *job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(address);
    return run(job);
}

PasswordResult KeyringPasswordStore::write(const QString &address, const QString &userName, const QString &password)
{
    auto *job = new QKeychain::WritePasswordJob(kService);
    job->setKey(address);
    job->setTextData(password);
    const PasswordResult written = run(job);
    if (written.ok())
        describeItem(address, userName);
    return written;
}

PasswordResult KeyringPasswordStore::remove(const QString &address)
{
    auto *job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(address);
    const PasswordResult removed = run(job);
    // Nothing there to remove is what a removal wants.
    return removed.status == PasswordResult::Status::NotFound ? PasswordResult::done() : removed;
}

// QtKeychain names every entry after the service alone and has no room for
// the user name. On a Secret Service the entry is given both, so that the
// keyring's own window tells the forums apart and shows whose login it is.
// What fails here costs nothing: the password is kept already.
void KeyringPasswordStore::describeItem(const QString &address, const QString &userName)
{
    if (!QDBusConnection::sessionBus().isConnected())
        return;
    static const bool registered = [] {
        qDBusRegisterMetaType<StringMap>();
        return true;
    }();
    Q_UNUSED(registered);
    QDBusMessage search = QDBusMessage::createMethodCall(kSecrets, QStringLiteral("/org/freedesktop/secrets"),
        QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("SearchItems"));
    // The attributes QtKeychain gives an entry: the key as "user", the service as "server".
    search << QVariant::fromValue(
        StringMap { { QStringLiteral("user"), address }, { QStringLiteral("server"), kService } });
    const QDBusMessage found = callAndWait(search, m_waitMs);
    if (found.type() != QDBusMessage::ReplyMessage || found.arguments().isEmpty())
        return;
    const auto unlocked = qdbus_cast<QList<QDBusObjectPath>>(found.arguments().at(0));
    for (const QDBusObjectPath &item : unlocked) {
        QDBusMessage get = QDBusMessage::createMethodCall(kSecrets, item.path(), kProperties, QStringLiteral("Get"));
        get << kItemInterface << QStringLiteral("Attributes");
        const QDBusMessage got = callAndWait(get, m_waitMs);
        if (got.type() != QDBusMessage::ReplyMessage || got.arguments().isEmpty())
            continue;
        StringMap attributes = qdbus_cast<StringMap>(qvariant_cast<QDBusVariant>(got.arguments().at(0)).variant());
        attributes.insert(QStringLiteral("username"), userName);
        QDBusMessage setAttributes
            = QDBusMessage::createMethodCall(kSecrets, item.path(), kProperties, QStringLiteral("Set"));
        setAttributes << kItemInterface << QStringLiteral("Attributes")
                      << QVariant::fromValue(QDBusVariant(QVariant::fromValue(attributes)));
        callAndWait(setAttributes, m_waitMs);
        QDBusMessage setLabel
            = QDBusMessage::createMethodCall(kSecrets, item.path(), kProperties, QStringLiteral("Set"));
        setLabel << kItemInterface << QStringLiteral("Label")
                 << QVariant::fromValue(QDBusVariant(QStringLiteral("%1: %2").arg(kService, address)));
        callAndWait(setLabel, m_waitMs);
    }
}
