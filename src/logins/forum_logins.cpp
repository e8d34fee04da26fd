#include "logins/forum_logins.h"

#include "logins/file_password_store.h"
#include "logins/forum_store.h"
#include "logins/password_move.h"
#include "platform/dialog_service.h"
#include "platform/identity.h"
#include "platform/settings_store.h"

namespace {

QString problemLines(const QList<PasswordMoveProblem> &problems)
{
    QStringList lines;
    for (const PasswordMoveProblem &p : problems)
        lines.append(QStringLiteral("%1: %2").arg(p.address, p.error));
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

ForumLogins::ForumLogins(ForumStore &store, DialogService &dialogs, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_dialogs(dialogs)
    , m_file(std::make_unique<FilePasswordStore>(store.forums(), [this] { return saveLogins(); }))
{
}

ForumLogins::~ForumLogins() = default;

int ForumLogins::addForum(const QString &url)
{
    ForumsModel &forums = m_store.forums();
    if (forums.indexOf(url) >= 0)
        return -1;
    // No user name until the user gives one: the box only suggests it.
    forums.add({ url, QString(), QString() });
    return forums.count() - 1;
}

void ForumLogins::removeForum(int row)
{
    ForumsModel &forums = m_store.forums();
    if (row < 0 || row >= forums.count())
        return;
    const QString url = forums.at(row).address;
    forums.removeAt(row);
    // The keyring keeps one password per address: it goes with the last row of the address.
    if (usesKeyring() && forums.indexOf(url) < 0) {
        m_inKeyring.remove(url);
        const PasswordResult removed = m_keyring->remove(url);
        if (!removed.ok())
            keyringProblem(QStringLiteral("The password for %1 could not be removed from the keyring:\r\n%2")
                               .arg(url, removed.error));
    }
    saveLogins();
}

void ForumLogins::setLogin(int row, const QString &userName, const QString &password)
{
    ForumsModel &forums = m_store.forums();
    if (row < 0 || row >= forums.count())
        return;
    const Forum &forum = forums.at(row);
    const QString url = forum.address;
    const QString filePassword = forum.password;
    if (!usesKeyring() || (!filePassword.isEmpty() && filePassword == password)) {
        // Kept in posts2.txt, as always; in keyring mode until it moves at the next start.
        forums.setLogin(row, userName, password);
        saveLogins();
        return;
    }
    const auto known = m_inKeyring.constFind(url);
    const bool unchanged = filePassword.isEmpty() && known != m_inKeyring.constEnd() && known->password == password
        && known->userName == userName;
    if (!unchanged) {
        // No password, no entry: an empty password box removes it.
        const PasswordResult stored
            = password.isEmpty() ? m_keyring->remove(url) : m_keyring->write(url, userName, password);
        if (!stored.ok()) {
            m_inKeyring.remove(url);
            forums.setLogin(row, userName, password);
            saveLogins();
            keyringProblem(QStringLiteral(
                "The password for %1 could not be kept in the keyring, so it is kept in posts2.txt:\r\n%2")
                               .arg(url, stored.error));
            return;
        }
        m_keyringProblemShown = false;
        m_inKeyring.insert(url, { userName, password });
    }
    forums.setLogin(row, userName, QString());
    saveLogins();
}

PasswordResult ForumLogins::password(int row)
{
    const ForumsModel &forums = m_store.forums();
    if (row < 0 || row >= forums.count())
        return PasswordResult::notFound();
    const Forum &forum = forums.at(row);
    if (!forum.password.isEmpty())
        return PasswordResult::done(forum.password);
    if (!usesKeyring())
        return PasswordResult::notFound();
    const PasswordResult kept = m_keyring->read(forum.address);
    if (!kept.ok()) {
        m_inKeyring.remove(forum.address);
        keyringProblem(QStringLiteral("The password for %1 could not be read from the keyring:\r\n%2")
                           .arg(forum.address, kept.error));
        return kept;
    }
    m_keyringProblemShown = false;
    m_inKeyring.insert(forum.address, { forum.userName, kept.password });
    return kept;
}

ForumsModel &ForumLogins::forums()
{
    return m_store.forums();
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

QString ForumLogins::startPasswords(PasswordStore *keyring, bool keepInFile)
{
    // A keyring can take a moment to answer: the program asks before it
    // builds its windows, and this waits only for what is still to come.
    m_keyring = keyring && keyring->answers() ? keyring : nullptr;
    m_useKeyring = !keepInFile;
    m_inKeyring.clear();
    if (!m_keyring)
        return QStringLiteral("No keyring answers: passwords are kept in posts2.txt.");
    if (!m_useKeyring)
        return QStringLiteral("Passwords are kept in posts2.txt, as chosen in the Tools menu.");
    const PasswordMoveReport report = moveIntoKeyring();
    if (report.moved.isEmpty())
        return QStringLiteral("Passwords are kept in the keyring.");
    return QStringLiteral("Passwords are kept in the keyring; %1 moved there from posts2.txt.")
        .arg(report.moved.size());
}

QString ForumLogins::keepPasswordsInFile(bool inFile)
{
    if (!inFile) {
        if (!m_keyring)
            return QStringLiteral("No keyring answers: passwords stay in posts2.txt.");
        // Also when the keyring is in use already: what the file still keeps moves now.
        m_useKeyring = true;
        moveIntoKeyring();
        return QStringLiteral("Passwords are kept in the keyring now.");
    }
    if (!usesKeyring()) {
        m_useKeyring = false;
        return QStringLiteral("Passwords are kept in posts2.txt.");
    }
    // Only addresses that some row reads from the keyring: a password the
    // file keeps for a row of its own is never written over.
    QList<LoginKey> keys;
    QStringList unused;
    const ForumsModel &forums = m_store.forums();
    for (int row = 0; row < forums.count(); ++row) {
        const Forum &f = forums.at(row);
        if (f.password.isEmpty())
            keys.append({ f.address, f.userName });
        else
            unused.append(f.address);
    }
    const QList<Forum> before = forums.forums();
    PasswordMoveReport report = movePasswords(*m_keyring, *m_file, keys);
    m_inKeyring.clear();
    if (!report.targetError.isEmpty()) {
        // posts2.txt was not written: the passwords are only in the keyring
        // still, and the list goes back to what the file holds.
        for (int row = 0; row < before.size(); ++row)
            m_store.forums().setLogin(row, before.at(row).userName, before.at(row).password);
    }
    if (report.failed.isEmpty()) {
        // An entry that no row reads is an old copy: it does not stay behind.
        for (const LoginKey &key : std::as_const(keys))
            unused.removeAll(key.address);
        unused.removeDuplicates();
        for (const QString &url : std::as_const(unused)) {
            const PasswordResult removed = m_keyring->remove(url);
            if (!removed.ok())
                report.leftOver.append({ url, removed.error });
        }
    }
    reportMove(report,
        QStringLiteral("These passwords could not be moved to posts2.txt, so passwords are still kept in the "
                       "keyring:"),
        QStringLiteral("These passwords are in posts2.txt now, but their copies could not be removed from the "
                       "keyring:"));
    if (!report.failed.isEmpty())
        return QStringLiteral("Passwords are still kept in the keyring.");
    m_useKeyring = false;
    return QStringLiteral("Passwords are kept in posts2.txt now.");
}

PasswordMoveReport ForumLogins::moveIntoKeyring()
{
    QList<LoginKey> keys;
    const ForumsModel &forums = m_store.forums();
    for (int row = 0; row < forums.count(); ++row)
        keys.append({ forums.at(row).address, forums.at(row).userName });
    const PasswordMoveReport report = movePasswords(*m_file, *m_keyring, keys);
    reportMove(
        report, QStringLiteral("These passwords could not be moved to the keyring and stay in posts2.txt:"), QString());
    return report;
}

void ForumLogins::reportMove(const PasswordMoveReport &report, const QString &failedText, const QString &leftOverText)
{
    QStringList parts;
    if (!report.failed.isEmpty())
        parts.append(failedText + QStringLiteral("\r\n\r\n") + problemLines(report.failed));
    if (!report.leftOver.isEmpty())
        parts.append(leftOverText + QStringLiteral("\r\n\r\n") + problemLines(report.leftOver));
    // A failed write of posts2.txt has shown its own box.
    if (!parts.isEmpty())
        m_dialogs.message(
            nullptr, parts.join(QStringLiteral("\r\n\r\n")), Identity::productName(), DialogService::Icon::Exclamation);
}

void ForumLogins::keyringProblem(const QString &text)
{
    // Typing saves on every key: one box until the keyring answers again.
    if (m_keyringProblemShown)
        return;
    m_keyringProblemShown = true;
    m_dialogs.message(nullptr, text, Identity::productName(), DialogService::Icon::Exclamation);
}

bool ForumLogins::fileChosen(const SettingsStore &settings)
{
    return settings.read(QStringLiteral("Settings"), QStringLiteral("keepPasswordsInFile"), QStringLiteral("0"))
        == QLatin1String("1");
}

QString ForumLogins::choosePasswordsInFile(bool inFile, SettingsStore &settings)
{
    const QString status = keepPasswordsInFile(inFile);
    // Not all of them could leave the keyring: it keeps them, and the choice
    // stays as it was.
    if (!(inFile && usesKeyring()))
        settings.write(QStringLiteral("Settings"), QStringLiteral("keepPasswordsInFile"),
            inFile ? QStringLiteral("1") : QStringLiteral("0"));
    return status;
}
