#include "cli/watch_command.h"

#include "cli/data_access.h"
#include "cli/output.h"
#include "net/page_fetch.h"
#include "platform/data_lock.h"
#include "platform/list_records.h"
#include "threads/thread_measurement.h"
#include "watch/watch_store.h"

#include <QEventLoop>

#include <optional>

WatchCommand::WatchCommand()
    : Command(QStringLiteral("watch"),
        QStringLiteral("Adds a watched post and records the size of its page, as Watch This Post does. A post "
                       "that is watched already gets its size recorded anew."),
        DataUse::Writes)
{
}

void WatchCommand::addOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(QStringLiteral("url"), QStringLiteral("The address of the post's page."));
}

int WatchCommand::run(const QCommandLineParser &parser)
{
    const QString url = parser.positionalArguments().constFirst();
    if (url.trimmed().isEmpty())
        return badUsage(QStringLiteral("The address is empty."));
    if (const QString refusal = addressRefusal(url); !refusal.isEmpty())
        return badUsage(QStringLiteral("Not watched: %1.").arg(refusal));
    const QString folder = chooseFolder(dataDir(), mayCreateDataFolder());
    if (folder.isEmpty())
        return ExitBadUsage;
    DataLock lock(folder, DataLock::Holder::CommandLine);
    // The window keeps the watched posts while it is open and writes them at exit.
    if (lock.peek() == DataLock::State::HeldByWindow)
        return lockNotTaken(lock, DataLock::State::HeldByWindow);
    {
        // Unreadable files are reported before the page is fetched.
        WatchStore store { DataFolder(folder) };
        if (!readPosts(store, lock))
            return ExitBadUsage;
    }

    // The whole thread, over all its pages, as Watch This Post measures it.
    PageFetch fetch;
    ThreadMeasurement measurement(fetch);
    std::optional<ThreadSize> size;
    QString failure;
    QEventLoop loop;
    QObject::connect(&measurement, &ThreadMeasurement::finished, [&](const ThreadSize &measured) {
        size = measured;
        loop.quit();
    });
    QObject::connect(&measurement, &ThreadMeasurement::failed, [&](bool, int number, const QString &why) {
        failure = QStringLiteral("%1: %2 (error %3)").arg(url, why).arg(number);
        loop.quit();
    });
    measurement.start(url);
    if (measurement.isBusy())
        loop.exec();

    // The lists are read again under the lock: what changed during the fetch stays.
    const DataLock::State state = takeLock(lock);
    if (state != DataLock::State::Taken)
        return lockNotTaken(lock, state);
    WatchStore store { DataFolder(folder) };
    if (!readPosts(store, lock))
        return ExitBadUsage;
    WatchedPostsModel &posts = store.posts();
    // As in the window, a post whose page could not be fetched is watched
    // without a size; the next check records it.
    const int row = posts.rowFor(url);
    if (size) {
        posts.setThreadSize(posts.at(row).id, size->bytes, size->pages, size->lastPage);
        store.texts().keep(url, size->text);
    }
    const bool hasSize = posts.at(row).size.has_value();
    const bool written = writePosts(store);
    lock.unlock();
    if (!written)
        return ExitBadUsage;
    if (!failure.isEmpty()) {
        reportError(failure);
        reportError(hasSize ? QStringLiteral("%1 keeps the size recorded before").arg(url)
                            : QStringLiteral("%1 is watched without a size; the next check records it").arg(url));
        return ExitNotAllChecked;
    }
    return ExitOk;
}
