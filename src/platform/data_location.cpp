#include "platform/data_location.h"

#include "platform/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kHelpFile = QStringLiteral("Help.rtf");

bool holdsAny(const QString &folder, const QStringList &names)
{
    for (const QString &name : names)
        if (QFileInfo::exists(QDir(folder).filePath(name)))
            return true;
    return false;
}

// The folder and every data file in it can be written; a data file's name
// taken by something that is not a file cannot be.
bool canWriteData(const QString &folder, const std::function<bool(const QString &)> &canWrite)
{
    if (!canWrite(folder))
        return false;
    for (const QString &name : dataFileNames()) {
        const QFileInfo info(QDir(folder).filePath(name));
        if (!info.exists() && !info.isSymLink())
            continue;
        if (!info.isFile() || !canWrite(info.filePath()))
            return false;
    }
    return true;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Creates the folder for its owner only. A folder that is there but holds no
// data file yet is being taken into use, and is closed to others as well.
bool prepareFolder(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        *error = QStringLiteral("The data folder %1 is not a folder.").arg(path);
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    if (!info.exists()) {
        if (!QDir().mkpath(info.absolutePath())) {
            *error = QStringLiteral("The data folder %1 could not be created.").arg(path);
            return false;
        }
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            *error = QStringLiteral("The data folder %1 could not be created: %2").arg(path, systemError());
            return false;
        }
    } else if (holdsAny(path, dataFileNames())) {
        return true;
    }
    // The umask may have taken bits away, never added them; this only closes.
    ::chmod(native.constData(), 0700);
    return true;
}

// Copies a file byte for byte into the folder; like every data file the copy
// is for its owner only whatever the original's mode, since posts2.txt holds
// passwords and the copy must be writable.
bool copyFile(const QString &from, const DataFolder &to, const QString &name, QString *error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        *error = in.errorString();
        return false;
    }
    return to.writeBytes(name, bytes, error);
}

} // namespace

QStringList dataFileNames()
{
    return { QStringLiteral("htmltemp.txt"), QStringLiteral("messages.txt"), QStringLiteral("posts.txt"),
        QStringLiteral("posts2.txt"), QStringLiteral("sizes.txt") };
}

DataLocation chooseDataLocation(const DataLocationInput &input)
{
    const std::function<bool(const QString &)> canWrite = input.canWrite ? input.canWrite : pathIsWritable;
    DataLocation result;
    QString error;

    if (!input.overrideFolder.isEmpty()) {
        result.folder = QFileInfo(input.overrideFolder).absoluteFilePath();
        if (!prepareFolder(result.folder, &error))
            result.notice = error;
        return result;
    }

    const QStringList names = dataFileNames();
    const bool programHoldsData = holdsAny(input.programFolder, names);
    if (programHoldsData && canWriteData(input.programFolder, canWrite)) {
        result.folder = input.programFolder;
        return result;
    }

    result.folder = input.userFolder;
    // Looked at before the folder is prepared: the copy happens only while the
    // user's folder holds none of the files, so that it is made once.
    const bool firstUse = !holdsAny(input.userFolder, names);
    if (!prepareFolder(result.folder, &error)) {
        result.notice = error;
        return result;
    }
    if (!programHoldsData || !firstUse)
        return result;

    QStringList failures;
    for (const QString &name : names) {
        const QFileInfo from(QDir(input.programFolder).filePath(name));
        if (!from.isFile())
            continue;
        if (copyFile(from.filePath(), DataFolder(result.folder), name, &error))
            result.copied.append(name);
        else
            failures.append(QStringLiteral("%1 (%2)").arg(name, error));
    }
    if (!result.copied.isEmpty())
        result.notice = QStringLiteral("Data files copied from %1 to %2").arg(input.programFolder, result.folder);
    if (!failures.isEmpty()) {
        if (!result.notice.isEmpty())
            result.notice += QStringLiteral("; ");
        result.notice += QStringLiteral("not copied from %1: %2").arg(input.programFolder, failures.join(u", "));
    }
    return result;
}

DataLocation chooseDataLocation(const QString &overrideFolder)
{
    DataLocationInput where;
    where.programFolder = QCoreApplication::applicationDirPath();
    where.userFolder = userDataFolder();
    where.overrideFolder = overrideFolder;
    return chooseDataLocation(where);
}

QString userDataFolder()
{
    // QStandardPaths::AppDataLocation would add the organisation's name too,
    // and the program's settings already take both as "Postmaven".
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Postmaven"));
}

bool pathIsWritable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

QStringList installedDataFolders(const QString &programFolder)
{
    QStringList folders;
    folders.append(QDir::cleanPath(programFolder + QStringLiteral("/../share/postmaven")));
#ifdef POSTMAVEN_INSTALL_DATADIR
    const QString built = QDir::cleanPath(QStringLiteral(POSTMAVEN_INSTALL_DATADIR));
    if (!folders.contains(built))
        folders.append(built);
#endif
    return folders;
}

QString findHelpFile(const QString &programFolder, const QStringList &dataFolders)
{
    QStringList candidates { QDir(programFolder).filePath(kHelpFile) };
    for (const QString &folder : dataFolders)
        candidates.append(QDir(folder).filePath(kHelpFile));
    for (const QString &path : candidates)
        if (QFileInfo(path).isFile())
            return path;
    return QString();
}
