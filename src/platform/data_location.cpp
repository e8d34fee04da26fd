#include "platform/data_location.h"

#include "platform/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
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

// mkdir for its owner only; with parents, the missing folders above it too
// (as ~/.local/share on a new account). On failure, the folder that could
// not be made and why.
bool makeFolder(const QString &path, bool withParents, QString *failedAt, int *number)
{
    const QByteArray native = QFile::encodeName(path);
    auto make = [&] { return ::mkdir(native.constData(), 0700) == 0 ? 0 : errno; };
    int result = make();
    const QString parent = QFileInfo(path).absolutePath();
    if (result == ENOENT && withParents && parent != path) {
        if (!makeFolder(parent, true, failedAt, number))
            return false;
        result = make();
    }
    if (result == 0 || result == EEXIST)
        return true;
    *failedAt = path;
    *number = result;
    return false;
}

enum class Create { No, LastOnly, WithParents };

// Makes the folder when it is missing and allowed to. A folder that is there
// but holds no data file yet is being taken into use, and is closed to others.
bool prepareFolder(const QString &path, Create create, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0) {
        if (errno != ENOENT) {
            *error = QStringLiteral("The data folder %1 cannot be used: %2").arg(path, systemErrorText(errno));
            return false;
        }
        if (::lstat(native.constData(), &st) == 0) {
            *error = QStringLiteral("The data folder %1 is a link to %2, which does not exist.")
                         .arg(path, QFileInfo(path).symLinkTarget());
            return false;
        }
        if (create == Create::No) {
            *error = QStringLiteral("The data folder %1 does not exist.").arg(path);
            return false;
        }
        QString failedAt;
        int number = 0;
        if (!makeFolder(path, create == Create::WithParents, &failedAt, &number)) {
            *error = number == ENOENT && failedAt == path
                ? QStringLiteral("The data folder %1 could not be created: %2 does not exist.")
                      .arg(path, QFileInfo(path).absolutePath())
                : QStringLiteral("The data folder %1 could not be created: %2")
                      .arg(path,
                          failedAt == path ? systemErrorText(number)
                                           : QStringLiteral("%1 (%2)").arg(systemErrorText(number), failedAt));
            return false;
        }
        // Made by another program meanwhile, or made now: look again.
        if (::stat(native.constData(), &st) != 0) {
            *error = QStringLiteral("The data folder %1 cannot be used: %2").arg(path, systemErrorText(errno));
            return false;
        }
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = QStringLiteral("The data folder %1 is not a folder.").arg(path);
        return false;
    }
    if (create != Create::No && !holdsAny(path, dataFileNames()))
        // Only closes: a folder its owner made read-only stays so.
        ::chmod(native.constData(), st.st_mode & 0700);
    return true;
}

// Copies a file byte for byte into the folder; like every data file the copy
// is for its owner only whatever the original's mode, since posts2.txt holds
// passwords and the copy must be writable.
bool copyFile(const QString &from, const DataFolder &to, const QString &name, QString *error)
{
    QByteArray bytes;
    return readRegularFile(from, &bytes, error) && to.writeBytes(name, bytes, error);
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

    if (!input.overrideFolder.isEmpty()) {
        result.folder = QFileInfo(input.overrideFolder).absoluteFilePath();
        // A mistyped name makes one folder at most, never a chain of them.
        prepareFolder(result.folder, input.mayCreate ? Create::LastOnly : Create::No, &result.error);
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
    if (!input.mayCreate && firstUse) {
        // Nothing is made or copied for a reader: it reads the files where they are now.
        if (programHoldsData)
            result.folder = input.programFolder;
        return result;
    }
    if (!prepareFolder(result.folder, Create::WithParents, &result.error))
        return result;
    if (!programHoldsData || !firstUse)
        return result;

    QString error;
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

DataLocation chooseDataLocation(const QString &overrideFolder, bool mayCreate)
{
    DataLocationInput where;
    where.programFolder = QCoreApplication::applicationDirPath();
    where.userFolder = userDataFolder();
    where.overrideFolder = overrideFolder;
    where.mayCreate = mayCreate;
    return chooseDataLocation(where);
}

QString userDataFolder()
{
    // QStandardPaths::AppDataLocation would add the organisation's name too,
    // and the program's settings already take both as "Postmaven".
    return QDir::cleanPath(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Postmaven"));
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
