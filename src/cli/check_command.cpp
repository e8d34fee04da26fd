#include "cli/check_command.h"

#include "cli/data_access.h"
#include "cli/output.h"
#include "net/page_fetch.h"
#include "platform/data_lock.h"
#include "platform/desktop_notifier.h"
#include "platform/identity.h"
#include "watch/check_scheduler.h"
#include "watch/reply_check.h"
#include "watch/watch_store.h"

#include <QEventLoop>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <algorithm>

namespace {

const QString kJson = QStringLiteral("json");
const QString kNotify = QStringLiteral("notify");

QJsonValue sizeOrNull(qint64 size)
{
    return size < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(size);
}

void writeJson(
    const QString &address, qint64 recorded, qint64 current, int pages, bool newReplies, const QString &error)
{
    const QJsonObject line { { QStringLiteral("address"), address },
        { QStringLiteral("recordedSize"), sizeOrNull(recorded) },
        { QStringLiteral("currentSize"), sizeOrNull(current) },
        { QStringLiteral("pages"), pages < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(pages) },
        { QStringLiteral("newReplies"), newReplies },
        { QStringLiteral("error"), error.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(error) } };
    writeOut(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
}

// A size record the run wrote: the record it replaces, and whether the post
// had no size at all (then it must be written; a record of the watched page
// alone, as an older version kept it, is only brought up to date).
struct Recorded {
    QString address;
    QString before; // the record in the file
    WatchedPost after;
    bool required = false;
};

// Writes the records into the files as they are now: whatever the window
// wrote while the run went on stays.
int recordSizes(WatchedData &data, const QList<Recorded> &recorded)
{
    DataLock &lock = data.lock;
    const bool required = std::any_of(recorded.cbegin(), recorded.cend(), [](const Recorded &r) { return r.required; });
    const DataLock::State state = takeLock(lock);
    if (state == DataLock::State::HeldByWindow && !required)
        return ExitOk; // the next check brings them up to date
    if (state != DataLock::State::Taken)
        return lockNotTaken(lock, state);
    if (!readPosts(data.store, lock))
        return ExitBadUsage;
    WatchedPostsModel &posts = data.store.posts();
    for (const Recorded &r : recorded) {
        const int row = posts.watchIndex(r.address);
        // Removed, or measured by the window meanwhile: nothing to record.
        if (row < 0 || WatchedPostsModel::sizeRecord(posts.at(row)) != r.before)
            continue;
        posts.setThreadSize(posts.at(row).id, r.after.size.toLongLong(), r.after.pages, r.after.lastPage);
    }
    const bool written = writePosts(data.store);
    lock.unlock();
    return written ? ExitOk : ExitBadUsage;
}

} // namespace

CheckCommand::CheckCommand()
    : Command(QStringLiteral("check"),
        QStringLiteral("Checks every watched post for new replies and prints the address of each post whose page "
                       "grew by more than 500 bytes. Posts that could not be checked are named on standard error."),
        DataUse::Writes)
{
}

void CheckCommand::addOptions(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(kJson,
        QStringLiteral("Print one JSON object per post: address, recordedSize, "
                       "currentSize, pages, newReplies, error.")));
    parser.addOption(
        QCommandLineOption(kNotify, QStringLiteral("Also send a desktop notification when new replies are found.")));
}

int CheckCommand::run(const QCommandLineParser &parser)
{
    const auto data = openWatchedData(dataDir(), mayCreateDataFolder());
    if (!data)
        return ExitBadUsage;
    DataLock &lock = data->lock;
    WatchStore &store = data->store;

    // Measuring a post that has no recorded size records it, which the
    // window, holding the lists while it is open, would undo at exit.
    QStringList unmeasured;
    for (const WatchedPost &post : store.posts().all())
        if (!WatchedPostsModel::sizeValue(post.size))
            unmeasured.append(post.url);
    if (!unmeasured.isEmpty() && lock.peek() == DataLock::State::HeldByWindow) {
        reportError(windowOpenText());
        for (const QString &address : unmeasured)
            reportError(QStringLiteral("%1: no recorded size yet").arg(address));
        return ExitWindowOpen;
    }

    const bool json = parser.isSet(kJson);
    PageFetch fetch;
    ReplyCheckRun run(store.posts(), fetch);
    // The posts as they were, to tell afterwards which records the run wrote.
    QHash<QString, WatchedPost> before;
    for (const WatchedPost &post : store.posts().all())
        before.insert(post.url, post);
    auto recordedSize
        = [&](const QString &address) { return WatchedPostsModel::sizeValue(before.value(address).size).value_or(-1); };
    QObject::connect(&run, &ReplyCheckRun::postChecked, [&](const CheckedPost &post) {
        if (json)
            writeJson(
                post.address, recordedSize(post.address), post.size.bytes, post.size.pages, post.newReplies, QString());
        else if (post.newReplies)
            writeOut(post.address + QLatin1Char('\n'));
    });
    QObject::connect(&run, &ReplyCheckRun::checkFailed, [&](const QString &address, int number, const QString &why) {
        reportError(QStringLiteral("%1: %2 (error %3)").arg(address, why).arg(number));
        if (json)
            writeJson(address, recordedSize(address), -1, -1, false, why);
    });
    QEventLoop loop;
    QObject::connect(&run, &ReplyCheckRun::finished, &loop, &QEventLoop::quit);
    run.start();
    if (run.isRunning())
        loop.exec();

    if (parser.isSet(kNotify) && run.newReplyCount() > 0) {
        DesktopNotifier notifier;
        QString error;
        // A timer may run this without a desktop session: that is no failure of the check.
        if (!notifier.sendNow(Identity::productName(), CheckScheduler::notificationText(run.newReplies()), &error))
            reportError(QStringLiteral("no desktop notification: %1").arg(error));
    }

    QList<Recorded> recorded;
    for (const WatchedPost &post : store.posts().all()) {
        const QString was = WatchedPostsModel::sizeRecord(before.value(post.url));
        if (WatchedPostsModel::sizeRecord(post) != was)
            recorded.append({ post.url, was, post, recordedSize(post.url) < 0 });
    }
    int status = run.failures().isEmpty() ? ExitOk : ExitNotAllChecked;
    if (!recorded.isEmpty()) {
        const int written = recordSizes(*data, recorded);
        if (written != ExitOk)
            status = written;
    }
    return status;
}
