#include "cli/data_access.h"

#include "cli/output.h"
#include "platform/data_location.h"
#include "platform/data_lock.h"
#include "watch/watch_store.h"

#include <QCommandLineParser>
#include <QFileInfo>

QString chooseFolder(const QString &dataDir)
{
    const DataLocation data = chooseDataLocation(dataDir);
    if (!data.notice.isEmpty())
        reportError(data.notice);
    if (!QFileInfo(data.folder).isDir())
        return QString();
    return data.folder;
}

bool readPosts(WatchStore &store, DataLock &lock)
{
    const bool tookLock = !lock.isLocked() && lock.tryLock(0);
    // The forums with their logins are the window's business alone.
    const QList<FileProblem> problems = store.load();
    if (tookLock)
        lock.unlock();
    for (const FileProblem &p : problems)
        reportError(QStringLiteral("cannot read %1: %2").arg(p.path, p.error));
    return problems.isEmpty();
}

bool writePosts(WatchStore &store)
{
    const QList<FileProblem> problems = store.savePosts();
    for (const FileProblem &p : problems)
        reportError(QStringLiteral("cannot write %1: %2").arg(p.path, p.error));
    return problems.isEmpty();
}

std::unique_ptr<WatchedData> openWatchedData(const QCommandLineParser &parser)
{
    const QString folder = chooseFolder(parser.value(QStringLiteral("data-dir")));
    if (folder.isEmpty())
        return nullptr;
    auto data = std::make_unique<WatchedData>(folder);
    if (!readPosts(data->store, data->lock))
        return nullptr;
    return data;
}

QString windowOpenText()
{
    return QStringLiteral("Postmaven is open; watch the post there");
}
