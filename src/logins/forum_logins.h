#pragma once

#include "platform/password_store.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

class DialogService;
class FilePasswordStore;
class SettingsStore;
class ForumStore;
class ForumsModel;
struct PasswordMoveReport;

// Edits the forum list and its logins. Every change is written to posts2.txt
// at once; a failed write shows "There was an error saving your logins.",
// once until a save succeeds again.
//
// Passwords are kept in the keyring when one answers and the user has not
// chosen the file; posts2.txt then keeps the address and the user name with
// an empty password field. A password the keyring could not take stays in
// the file, and a row whose field holds one is read from there.
class ForumLogins : public QObject {
    Q_OBJECT
public:
    ForumLogins(ForumStore &store, DialogService &dialogs, QObject *parent = nullptr);
    ~ForumLogins() override;

    // Adds a forum with an empty user name and password; -1 when the address is listed already.
    int addForum(const QString &url);
    void removeForum(int row);
    // Stores the row's login and saves.
    void setLogin(int row, const QString &userName, const QString &password);
    // The row's password from where it is kept; NotFound when it has none.
    PasswordResult password(int row);

    bool saveLogins();
    ForumsModel &forums();

    // At start-up, once the lists are read. keyring: the keyring when one
    // answered, else null. Unless the file is chosen, the passwords found in
    // posts2.txt move into the keyring. Returns what the status bar says.
    QString startPasswords(PasswordStore *keyring, bool keepInFile);
    // The Tools menu's choice: moves the passwords to posts2.txt or into the
    // keyring. They stay in the keyring when not all of them could be moved
    // out. Returns what the status bar says.
    QString keepPasswordsInFile(bool inFile);
    bool usesKeyring() const { return m_keyring && m_useKeyring; }

    // The choice as the settings keep it ("Settings"/"keepPasswordsInFile").
    static bool fileChosen(const SettingsStore &settings);
    // keepPasswordsInFile, with the choice kept in the settings when it took
    // effect; fileChosen tells afterwards what the menu item shows.
    QString choosePasswordsInFile(bool inFile, SettingsStore &settings);

private:
    PasswordMoveReport moveIntoKeyring();
    void reportMove(const PasswordMoveReport &report, const QString &failedText, const QString &leftOverText);
    void keyringProblem(const QString &text);

    struct KeyringLogin {
        QString userName;
        QString password;
    };

    ForumStore &m_store;
    DialogService &m_dialogs;
    std::unique_ptr<FilePasswordStore> m_file;
    PasswordStore *m_keyring = nullptr;
    bool m_useKeyring = false;
    // What the keyring holds for an address, as far as this run has seen:
    // a forum selected or saved again costs no keyring call.
    QHash<QString, KeyringLogin> m_inKeyring;
    bool m_failureShown = false;
    bool m_keyringProblemShown = false;
};
