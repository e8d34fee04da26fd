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
    // Still kept where they were. What the new store took of them is no
    // copy to rely on, and the old one is still read first.
    QList<PasswordMoveProblem> failed;
    // Moved, but a copy could not be removed from where they were.
    QList<PasswordMoveProblem> leftOver;
    // The new store could not be made to last: nothing was removed from the
    // old one, and what the new one took is no copy to rely on.
    QString targetError;
    // The old store could not be written once the copies were removed from it.
    QString sourceError;
};

// Moves the password of each address from one store to the other, so that
// nothing is lost halfway: each one is written and read back, the new store
// is made to last, and only then are they removed from the old store, which
// is made to last once at the end. A password that fails at any step stays
// where it was. Addresses without a password are left alone.
PasswordMoveReport movePasswords(PasswordStore &from, PasswordStore &to, const QList<LoginKey> &logins);
