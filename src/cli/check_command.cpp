#include "cli/check_command.h"

#include "cli/data_access.h"
#include "cli/output.h"
#include "net/page_fetch.h"
#include "platform/data_lock.h"
#include "platform/desktop_notifier.h"
#include "platform/identity.h"
#include "platform/settings_store.h"
#include "watch/check_scheduler.h"
#include "watch/reply_check.h"
#include "watch/watch_store.h"

#include <QEventLoop>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QSet>

#include <algorithm>

namespace {

const QString kJson = QStringLiteral("json");
const QString kNotify = QStringLiteral("notify");
const QString kMaxConnections = QStringLiteral("max-connections");
const QString kMaxPerHost = QStringLiteral("max-per-host");

QJsonValue sizeOrNull(qint64 size)
{
    return size < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(size);
}

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

void writeJson(const QString &address, qint64 recorded, qint64 current, int pages, bool newReplies,
    const QString &added, const QString &error)
{
    const QJsonObject line { { QStringLiteral("address"), address },
        { QStringLiteral("recordedSize"), sizeOrNull(recorded) },
        { QStringLiteral("currentSize"), sizeOrNull(current) },
        { QStringLiteral("pages"), pages < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(pages) },
        { QStringLiteral("newReplies"), newReplies }, { QStringLiteral("added"), textOrNull(added) },
        { QStringLiteral("error"), textOrNull(error) } };
    writeOut(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
}

// The address, and under it the text added, indented.
void writePlain(const QString &address, const QString &added)
{
    QString text = address + QLatin1Char('\n');
    for (const QString &line : added.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        text += QLatin1String("    ") + line + QLatin1Char('\n');
    writeOut(text);
}

// A measure the run recorded (size and kept text): the record it replaces,
// and whether the post had no size at all (then it must be written; a check
// without news only brings the post up to date).
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
        if (row < 0 || WatchedPostsModel::sizeRecord(posts.at(row)) != r.before) {
            data.store.texts().discard(r.address);
            continue;
        }
        posts.setThreadSize(posts.at(row).id, r.after.size.value_or(0), r.after.pages, r.after.lastPage);
    }
    const bool written = writePosts(data.store);
    lock.unlock();
    return written ? ExitOk : ExitBadUsage;
}

} // namespace

CheckCommand::CheckCommand()
    : Command(QStringLiteral("check"),
        QStringLiteral("Checks every watched post for new replies and prints the address of each post whose thread "
                       "shows text added since the last check, with that text indented under it. Posts that could "
                       "not be checked are named on standard error."),
        DataUse::Writes)
{
}

void CheckCommand::addOptions(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(kJson,
        QStringLiteral("Print one JSON object per post: address, recordedSize, "
                       "currentSize, pages, newReplies, added, error.")));
    parser.addOption(
        QCommandLineOption(kNotify, QStringLiteral("Also send a desktop notification when new replies are found.")));
    parser.addOption(QCommandLineOption(kMaxConnections,
        QStringLiteral("Fetch at most N pages at once (default: the setting maxConnections, else %1).")
            .arg(CheckLimits().connections),
        QStringLiteral("N")));
    parser.addOption(QCommandLineOption(kMaxPerHost,
        QStringLiteral("Fetch at most N pages at once from one host (default: the setting maxConnectionsPerHost, "
                       "else %1).")
            .arg(CheckLimits().perHost),
        QStringLiteral("N")));
}

// The limits the settings give, with those the command line names instead.
std::optional<CheckLimits> CheckCommand::limits(const QCommandLineParser &parser) const
{
    CheckLimits limits = CheckLimits::fromSettings(QtSettingsStore(Identity::productName()));
    for (const auto &[option, value] :
        { std::pair { kMaxConnections, &limits.connections }, std::pair { kMaxPerHost, &limits.perHost } }) {
        if (!parser.isSet(option))
            continue;
        const std::optional<int> given = CheckLimits::parse(parser.value(option));
        if (!given) {
            badUsage(QStringLiteral("--%1 takes a whole number from 1 to %2, not \"%3\"")
                         .arg(option)
                         .arg(CheckLimits::kMost)
                         .arg(parser.value(option)));
            return std::nullopt;
        }
        *value = *given;
    }
    return limits;
}

int CheckCommand::run(const QCommandLineParser &parser)
{
    const std::optional<CheckLimits> limits = this->limits(parser);
    if (!limits)
        return ExitBadUsage;
    const auto data = openWatchedData(dataDir(), mayCreateDataFolder());
    if (!data)
        return ExitBadUsage;
    DataLock &lock = data->lock;
    WatchStore &store = data->store;

    // Measuring a post that has no recorded size records it, which the
    // window, holding the lists while it is open, would undo at exit.
    QStringList unmeasured;
    for (const WatchedPost &post : store.posts().all())
        if (!post.size)
            unmeasured.append(post.url);
    if (!unmeasured.isEmpty() && lock.peek() == DataLock::State::HeldByWindow) {
        reportError(windowOpenText());
        for (const QString &address : unmeasured)
            reportError(QStringLiteral("%1: no recorded size yet").arg(address));
        return ExitWindowOpen;
    }

    const bool json = parser.isSet(kJson);
    PageFetch fetch;
    ReplyCheckRun run(store.posts(), store.texts(), fetch);
    run.setLimits(*limits);
    // The posts as they were, to tell afterwards which records the run wrote.
    QHash<QString, WatchedPost> before;
    for (const WatchedPost &post : store.posts().all())
        before.insert(post.url, post);
    auto recordedSize = [&](const QString &address) { return before.value(address).size.value_or(-1); };
    QObject::connect(&run, &ReplyCheckRun::postChecked, [&](const CheckedPost &post) {
        if (json)
            writeJson(post.address, recordedSize(post.address), post.size.bytes, post.size.pages, post.newReplies,
                post.added, QString());
        else if (post.newReplies)
            writePlain(post.address, post.added);
    });
    QObject::connect(&run, &ReplyCheckRun::checkFailed, [&](const QString &address, int number, const QString &why) {
        reportError(QStringLiteral("%1: %2 (error %3)").arg(address, why).arg(number));
        if (json)
            writeJson(address, recordedSize(address), -1, -1, false, QString(), why);
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
        if (!notifier.sendNow(Identity::productName(), CheckScheduler::notificationText(run.newReplyTexts()), &error))
            reportError(QStringLiteral("no desktop notification: %1").arg(error));
    }

    QList<Recorded> recorded;
    const QStringList keptList = store.texts().pendingUrls();
    const QSet<QString> kept(keptList.cbegin(), keptList.cend());
    for (const WatchedPost &post : store.posts().all()) {
        const QString was = WatchedPostsModel::sizeRecord(before.value(post.url));
        if (WatchedPostsModel::sizeRecord(post) != was || kept.contains(post.url))
            recorded.append({ post.url, was, post, recordedSize(post.url) < 0 });
    }
    int status = run.failures().isEmpty() ? ExitOk : ExitNotAllChecked;
    // An address the files held twice is written once from now on.
    if (!recorded.isEmpty() || store.posts().droppedCopies() > 0) {
        const int written = recordSizes(*data, recorded);
        if (written != ExitOk)
            status = written;
    }
    return status;
}
