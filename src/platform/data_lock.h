#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The lock file in the data folder. The window holds it from before it reads
// the list files until after it has written them at exit; postmaven-cli
// holds it only while it rereads, changes and rewrites files. Programs that
// only read never take it.
//
// Why that is enough: the window reads the lists only once it holds the
// lock, so it sees everything postmaven-cli wrote before; and while the
// window is open postmaven-cli never writes, so the window's lists, written
// at exit, are the whole truth. postmaven-cli in turn rereads the files
// under the lock just before it writes and changes only what it measured,
// so a window that opened and closed during a long check run loses nothing.
//
// The file names its holder (the window or postmaven-cli, the process and
// the host), and its holder keeps an flock on it for as long as it holds it.
// The system lets go of that when the holder ends however it ends, so a lock
// file that nobody has an flock on is stale, whatever it says.
class DataLock {
public:
    enum class Holder { Window, CommandLine };
    enum class State {
        Taken, // this object holds it
        Free, // nobody does (a stale file may be there)
        HeldByWindow,
        HeldByCommandLine,
        Failed, // the lock file cannot be made or used: errorText() says why
    };
    struct Owner {
        Holder holder = Holder::Window;
        qint64 pid = 0;
        QString host;
        bool known = false; // false: a lock file of another making, taken for the window's
        QString text() const;
    };

    static QString fileName() { return QStringLiteral("postmaven.lock"); }

    DataLock(const QString &folder, Holder self);
    ~DataLock();
    DataLock(const DataLock &) = delete;
    DataLock &operator=(const DataLock &) = delete;

    // One try; a stale lock found on the way is removed, and said in notices().
    State tryLock();
    // Tries until the lock is taken, held by the window, failed, or held by
    // another postmaven-cli for longer than timeoutMs. waiting is called
    // once, with that holder, when the wait has gone on for tellAfterMs.
    State lock(int timeoutMs, int tellAfterMs = 0, const std::function<void(const Owner &)> &waiting = {});
    void unlock();
    bool isLocked() const { return m_fd >= 0; }

    // Who holds it now, without taking it or changing anything.
    State peek();
    // The holder the last try or peek found.
    const Owner &owner() const { return m_owner; }
    // Why the last try failed, naming the lock file.
    QString errorText() const { return m_error; }
    // Stale locks removed on the way, one line each.
    QStringList takeNotices();
    QString path() const { return m_path; }

private:
    // Who holds the lock file that is there; a stale one is removed when asked.
    State examine(bool removeStale);
    // Puts this holder's lock file in place: 0, or the system's error (EEXIST: one is
    // there; EAGAIN: its own file was cleared away on the way, so try again).
    int place(const QByteArray &path, const QByteArray &record);
    State fail(const QString &what, int number);

    QString m_path;
    Holder m_self;
    int m_fd = -1;
    Owner m_owner;
    QString m_error;
    QStringList m_notices;
};
