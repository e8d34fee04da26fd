#include "platform/data_lock.h"

#include "platform/data_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const QByteArray kWindow = "window";
const QByteArray kCommandLine = "postmaven-cli";

QByteArray ownRecord(DataLock::Holder self)
{
    return QStringLiteral("holder %1\npid %2\nhost %3\n")
        .arg(QString::fromLatin1(self == DataLock::Holder::Window ? kWindow : kCommandLine))
        .arg(::getpid())
        .arg(QSysInfo::machineHostName())
        .toUtf8();
}

DataLock::Owner parseRecord(const QByteArray &bytes)
{
    DataLock::Owner owner;
    bool holder = false;
    bool pid = false;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = line.left(space);
        const QByteArray value = line.mid(space + 1);
        if (key == "holder" && (value == kWindow || value == kCommandLine)) {
            owner.holder = value == kWindow ? DataLock::Holder::Window : DataLock::Holder::CommandLine;
            holder = true;
        } else if (key == "pid") {
            owner.pid = value.toLongLong(&pid);
        } else if (key == "host") {
            owner.host = QString::fromUtf8(value);
        }
    }
    owner.known = holder && pid && owner.pid > 0;
    return owner;
}

QByteArray readRecord(int fd)
{
    QByteArray bytes(4096, '\0');
    const ssize_t n = ::read(fd, bytes.data(), static_cast<size_t>(bytes.size()));
    bytes.resize(n > 0 ? n : 0);
    return bytes;
}

// For a file system that keeps no flocks: the record is all there is to go by.
bool holderRuns(const DataLock::Owner &owner)
{
    return owner.known && owner.host == QSysInfo::machineHostName()
        && (::kill(static_cast<pid_t>(owner.pid), 0) == 0 || errno == EPERM);
}

// A holder on this machine that is gone: a file it names is stale, whoever has an flock on it.
bool holderEndedHere(const DataLock::Owner &owner)
{
    return owner.known && owner.host == QSysInfo::machineHostName() && ::kill(static_cast<pid_t>(owner.pid), 0) != 0
        && errno == ESRCH;
}

bool sameFile(int fd, const QByteArray &path)
{
    struct stat open;
    struct stat named;
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 && open.st_dev == named.st_dev
        && open.st_ino == named.st_ino;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    return ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
}

} // namespace

QString DataLock::Owner::text() const
{
    if (!known)
        return QStringLiteral("another Postmaven");
    return QStringLiteral("%1 (process %2 on %3)")
        .arg(holder == Holder::Window ? QStringLiteral("a Postmaven window") : QStringLiteral("postmaven-cli"))
        .arg(pid)
        .arg(host);
}

DataLock::DataLock(const QString &folder, Holder self)
    : m_path(QDir(folder).filePath(fileName()))
    , m_self(self)
{
}

DataLock::~DataLock()
{
    unlock();
}

DataLock::State DataLock::fail(const QString &what, int number)
{
    m_error = number ? QStringLiteral("%1 %2: %3").arg(m_path, what, systemErrorText(number))
                     : QStringLiteral("%1 %2").arg(m_path, what);
    return State::Failed;
}

DataLock::State DataLock::tryLock()
{
    if (m_fd >= 0)
        return State::Taken;
    m_error.clear();
    const QByteArray path = QFile::encodeName(m_path);
    const QByteArray record = ownRecord(m_self);
    // A stale lock removed makes room; a few rounds cover others removing and taking it meanwhile.
    for (int round = 0; round < 20; ++round) {
        const int error = place(path, record);
        if (error == 0)
            return State::Taken;
        if (error == EAGAIN)
            continue;
        if (error != EEXIST)
            return fail(QStringLiteral("could not be created"), error);
        const State found = examine(true);
        if (found != State::Free)
            return found;
    }
    return fail(QStringLiteral("keeps changing hands"), 0);
}

int DataLock::place(const QByteArray &path, const QByteArray &record)
{
    // The record is written and locked in a file of its own, which is then
    // linked in under the lock's name: the lock file never shows unlocked or
    // half written, so nobody can take it for a stale one.
    QByteArray temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    // Locked at once: the holder of the lock clears unlocked temporaries away.
    int error = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK ? 0 : EAGAIN;
    errno = 0;
    if (!error)
        error = writeAll(fd, record) ? 0 : (errno ? errno : ENOSPC);
    if (!error) {
        error = ::link(temporary.constData(), path.constData()) == 0 ? 0 : errno;
        // Cleared away before it was locked: made anew.
        if (error == ENOENT)
            error = EAGAIN;
    }
    ::unlink(temporary.constData());
    if (!error) {
        m_fd = fd;
        return 0;
    }
    ::close(fd);
    if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS)
        return error;
    // A file system without hard links (FAT on a memory stick): made in place.
    const int direct = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (direct < 0)
        return errno;
    ::flock(direct, LOCK_EX | LOCK_NB);
    errno = 0;
    if (writeAll(direct, record)) {
        m_fd = direct;
        return 0;
    }
    error = errno ? errno : ENOSPC;
    ::unlink(path.constData());
    ::close(direct);
    return error;
}

DataLock::State DataLock::examine(bool removeStale)
{
    const QByteArray path = QFile::encodeName(m_path);
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT ? State::Free : fail(QStringLiteral("cannot be read"), errno);
    if (S_ISDIR(st.st_mode))
        return fail(QStringLiteral("is a folder, not a lock file"), 0);
    if (!S_ISREG(st.st_mode))
        return fail(QStringLiteral("is not a lock file"), 0);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT ? State::Free : fail(QStringLiteral("cannot be read"), errno);
    m_owner = parseRecord(readRecord(fd));
    bool held = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool locked = errno == EWOULDBLOCK;
        if (locked && holderEndedHere(m_owner)) {
            // Another run is looking at the stale file, which takes a moment: wait for it, as for a run.
            ::close(fd);
            m_owner = Owner { Holder::CommandLine, 0, QString(), false };
            m_error = QStringLiteral("%1 is being cleared away by another Postmaven").arg(m_path);
            return State::HeldByCommandLine;
        }
        held = locked || holderRuns(m_owner);
    }
    if (held) {
        ::close(fd);
        m_error = QStringLiteral("%1 is held by %2").arg(m_path, m_owner.text());
        // A lock of another making may be an older Postmaven window's: it is kept as one.
        return m_owner.known && m_owner.holder == Holder::CommandLine ? State::HeldByCommandLine : State::HeldByWindow;
    }
    // Nobody holds it: its holder has ended, or it is no lock at all.
    State state = State::Free;
    // Removed only while it is still the file looked at: another may have replaced it meanwhile.
    if (removeStale && sameFile(fd, path)) {
        if (::unlink(path.constData()) != 0 && errno != ENOENT) {
            state = fail(QStringLiteral("is left from an earlier run and could not be removed"), errno);
        } else {
            m_notices.append(m_owner.known
                    ? QStringLiteral("removed the stale lock %1 of %2, which is no longer running")
                          .arg(m_path, m_owner.text())
                    : QStringLiteral("removed the stale lock %1, which named no running holder").arg(m_path));
        }
    }
    ::close(fd);
    return state;
}

DataLock::State DataLock::lock(int timeoutMs, int tellAfterMs, const std::function<void(const Owner &)> &waiting)
{
    QElapsedTimer timer;
    timer.start();
    bool told = false;
    for (;;) {
        const State state = tryLock();
        if (state != State::HeldByCommandLine || timer.elapsed() >= timeoutMs)
            return state;
        if (!told && waiting && timer.elapsed() >= tellAfterMs) {
            waiting(m_owner);
            told = true;
        }
        QThread::msleep(50);
    }
}

void DataLock::unlock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so nobody takes it for a stale one on the way out.
    const QByteArray path = QFile::encodeName(m_path);
    if (sameFile(m_fd, path))
        ::unlink(path.constData());
    ::close(m_fd);
    m_fd = -1;
}

DataLock::State DataLock::peek()
{
    if (m_fd >= 0)
        return State::Taken;
    return examine(false);
}

QStringList DataLock::takeNotices()
{
    return std::exchange(m_notices, {});
}
