#include "logins/password_move.h"

#include "platform/password_store.h"

#include <QSet>

PasswordMoveReport movePasswords(PasswordStore &from, PasswordStore &to, const QList<LoginKey> &logins)
{
    PasswordMoveReport report;
    QSet<QString> seen;
    for (const LoginKey &login : logins) {
        if (seen.contains(login.address))
            continue;
        seen.insert(login.address);
        const PasswordResult old = from.read(login.address);
        if (old.status == PasswordResult::Status::NotFound)
            continue;
        if (!old.ok()) {
            report.failed.append({ login.address, old.error });
            continue;
        }
        const PasswordResult written = to.write(login.address, login.userName, old.password);
        if (!written.ok()) {
            report.failed.append({ login.address, written.error });
            continue;
        }
        const PasswordResult back = to.read(login.address);
        if (!back.found() || back.password != old.password) {
            report.failed.append({ login.address,
                back.ok() ? QStringLiteral("The password read back was not the one written.") : back.error });
            continue;
        }
        report.moved.append(login.address);
    }
    if (report.moved.isEmpty())
        return report;
    QString error;
    if (!to.flush(&error)) {
        report.targetError = error;
        for (const QString &address : std::as_const(report.moved))
            report.failed.append({ address, error });
        report.moved.clear();
        return report;
    }
    for (const QString &address : std::as_const(report.moved)) {
        const PasswordResult removed = from.remove(address);
        if (!removed.ok())
            report.leftOver.append({ address, removed.error });
    }
    if (!from.flush(&error))
        report.sourceError = error;
    return report;
}
