#include "support/small_file_system.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

SmallFileSystem::SmallFileSystem(int kilobytes)
{
    const QByteArray options = QByteArray("size=") + QByteArray::number(kilobytes) + "k,mode=0700";
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    if (!m_mounted)
        m_skipReason = QStringLiteral("a tmpfs cannot be mounted here (%1); it takes root")
                           .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool SmallFileSystem::fill(int leave)
{
    const QByteArray name = QFile::encodeName(filePath(QStringLiteral("filler")));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray page(4096, 'f');
    while (::write(fd, page.constData(), page.size()) > 0) { }
    const bool full = errno == ENOSPC;
    struct stat st;
    bool ok = full && ::fstat(fd, &st) == 0 && ::ftruncate(fd, std::max<off_t>(0, st.st_size - leave)) == 0;
    ::close(fd);
    struct statvfs vfs;
    ok = ok && ::statvfs(QFile::encodeName(path()).constData(), &vfs) == 0
        && static_cast<qint64>(vfs.f_bavail * vfs.f_frsize) <= leave;
    return ok;
}

bool SmallFileSystem::makeReadOnly()
{
    return ::mount(nullptr, QFile::encodeName(path()).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
