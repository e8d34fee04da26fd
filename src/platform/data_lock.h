#pragma once

#include <QLockFile>
#include <QString>

// The lock file in the data folder. The window holds it from before it reads
// the list files until after it has written them at exit; postmaven-cli
// holds it while it reads, changes and rewrites posts.txt and sizes.txt.
//
// Why that is enough: the window reads the lists only once it holds the
// lock, so it sees everything postmaven-cli wrote before; and while the
// window is open postmaven-cli never writes, so the window's lists, written
// at exit, are the whole truth. postmaven-cli in turn rereads the files
// under the lock just before it writes and changes only what it measured,
// so a window that opened and closed during a long check run loses nothing.
class DataLock {
public:
    static QString fileName() { return QStringLiteral("postmaven.lock"); }

    explicit DataLock(const QString &folder);

    // Waits up to timeoutMs for a lock held by a short write elsewhere.
    bool tryLock(int timeoutMs = 0);
    void unlock();
    bool isLocked() const { return m_file.isLocked(); }
    // Held by another process now (the window, or a writing postmaven-cli).
    bool isHeldElsewhere();
    // Why the last tryLock failed.
    QString errorText() const;
    QString path() const { return m_path; }

private:
    QString m_path;
    QLockFile m_file;
};
