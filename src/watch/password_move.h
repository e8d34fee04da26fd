#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class PasswordStore;

// A forum's address with the user name that goes along with its password.
struct LoginKey {
    QString address;
    QString userName;
};

struct PasswordMoveProblem {
    QString address;
    QString error;
};

struct PasswordMoveReport {
    QStringList moved;
    // Still kept where they were, and only there.
    QList<PasswordMoveProblem> failed;
    // Moved, but a copy could not be removed from where they were.
    QList<PasswordMoveProblem> leftOver;
    // The old store could not be written once the copies were removed from it.
    QString sourceError;
};

// Moves the password of each address from one store to the other, so that
// nothing is lost halfway: each one is written and read back, the new store
// is made to last, and only then are they removed from the old store, which
// is made to last once at the end. A password that fails at any step stays
// where it was. Addresses without a password are left alone.
PasswordMoveReport movePasswords(PasswordStore &from, PasswordStore &to, const QList<LoginKey> &logins);
