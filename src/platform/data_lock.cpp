#include "platform/data_lock.h"

#include <QDir>

DataLock::DataLock(const QString &folder)
    : m_path(QDir(folder).filePath(fileName()))
    , m_file(m_path)
{
    // The window keeps the lock for hours: an age limit would hand it to
    // anyone after 30 seconds. A lock left by a process that is gone is
    // still taken over, since QLockFile checks that its owner runs.
    m_file.setStaleLockTime(0);
}

bool DataLock::tryLock(int timeoutMs)
{
    if (m_file.isLocked())
        return true;
    return m_file.tryLock(timeoutMs);
}

void DataLock::unlock()
{
    m_file.unlock();
}

bool DataLock::isHeldElsewhere()
{
    if (m_file.isLocked())
        return false;
    if (m_file.tryLock(0)) {
        m_file.unlock();
        return false;
    }
    return m_file.error() == QLockFile::LockFailedError;
}

QString DataLock::errorText() const
{
    switch (m_file.error()) {
    case QLockFile::NoError:
        return QString();
    case QLockFile::LockFailedError:
        return QStringLiteral("%1 is held by another Postmaven").arg(m_path);
    case QLockFile::PermissionError:
        return QStringLiteral("%1 could not be created: permission denied").arg(m_path);
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("%1 could not be created").arg(m_path);
}
