#pragma once

#include <QString>
#include <QTemporaryDir>

// A tmpfs of its own, for what only a real file system does: fill up, or
// refuse every write. Mounting needs root; where it cannot be done,
// skipReason() says why and the test skips.
class SmallFileSystem {
public:
    explicit SmallFileSystem(int kilobytes = 64);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool mounted() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Takes all the room but `leave` bytes (rounded down to whole pages) with a file of its own.
    bool fill(int leave = 0);
    // Mounts it again read-only.
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_skipReason;
};
