#include "cli/data_access.h"

#include "cli/output.h"
#include "platform/data_location.h"
#include "platform/data_lock.h"
#include "watch/watch_store.h"

#include <QCoreApplication>
#include <QFileInfo>

QString chooseFolder(const QString &dataDir)
{
    DataLocationInput where;
    where.programFolder = QCoreApplication::applicationDirPath();
    where.userFolder = userDataFolder();
    where.overrideFolder = dataDir;
    const DataLocation data = chooseDataLocation(where);
    if (!data.notice.isEmpty())
        reportError(data.notice);
    if (!QFileInfo(data.folder).isDir())
        return QString();
    return data.folder;
}

bool readPosts(WatchStore &store, DataLock &lock)
{
    const bool tookLock = !lock.isLocked() && lock.tryLock(0);
    const QList<FileProblem> problems = store.load();
    if (tookLock)
        lock.unlock();
    bool ok = true;
    for (const FileProblem &p : problems) {
        // The forums with their logins are the window's business alone.
        if (p.name == WatchStore::kForumsFile)
            continue;
        reportError(QStringLiteral("cannot read %1: %2").arg(p.path, p.error));
        ok = false;
    }
    return ok;
}

bool writePosts(const WatchStore &store)
{
    const QList<FileProblem> problems = store.savePosts();
    for (const FileProblem &p : problems)
        reportError(QStringLiteral("cannot write %1: %2").arg(p.path, p.error));
    return problems.isEmpty();
}

QString windowOpenText()
{
    return QStringLiteral("Postmaven is open; watch the post there");
}
