#include "cli/data_access.h"

#include "cli/command.h"
#include "cli/output.h"
#include "platform/data_location.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <array>
#include <sys/stat.h>

namespace {

constexpr int kWaitMs = 30000;
constexpr int kTellAfterMs = 2000;

void sayWaiting(const DataLock &lock, const DataLock::Owner &owner)
{
    reportError(QStringLiteral("waiting for %1, which holds %2").arg(owner.text(), lock.path()));
}

// A file's identity and age: a rewrite puts a new file in the old one's place.
std::array<qint64, 4> stamp(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return { static_cast<qint64>(st.st_ino), static_cast<qint64>(st.st_dev), st.st_mtim.tv_sec, st.st_mtim.tv_nsec };
}

std::array<std::array<qint64, 4>, 2> stamps(const DataFolder &folder)
{
    return { stamp(folder.filePath(WatchStore::kPostsFile)), stamp(folder.filePath(WatchStore::kSizesFile)) };
}

// While another postmaven-cli writes, briefly; a stale lock counts as free.
void waitForWriters(DataLock &lock, QElapsedTimer &timer, bool &told)
{
    while (lock.peek() == DataLock::State::HeldByCommandLine && timer.elapsed() < kWaitMs) {
        if (!told && timer.elapsed() >= kTellAfterMs) {
            sayWaiting(lock, lock.owner());
            told = true;
        }
        QThread::msleep(50);
    }
}

} // namespace

QString chooseFolder(const QString &dataDir, bool mayCreate)
{
    const DataLocation data = chooseDataLocation(dataDir, mayCreate);
    if (!data.notice.isEmpty())
        reportError(data.notice);
    if (!data.error.isEmpty()) {
        reportError(data.error);
        return QString();
    }
    return data.folder;
}

bool readPosts(WatchStore &store, DataLock &lock)
{
    const DataFolder &folder = store.folder();
    QList<FileProblem> problems;
    if (lock.isLocked()) {
        problems = store.load();
    } else {
        // Posts and sizes pair by row: both files must come from the same write.
        QElapsedTimer timer;
        timer.start();
        bool told = false;
        for (;;) {
            waitForWriters(lock, timer, told);
            const auto before = stamps(folder);
            problems = store.load();
            const bool steady = stamps(folder) == before && lock.peek() != DataLock::State::HeldByCommandLine;
            if (steady || timer.elapsed() >= kWaitMs)
                break;
        }
    }
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

DataLock::State takeLock(DataLock &lock)
{
    const DataLock::State state
        = lock.lock(kWaitMs, kTellAfterMs, [&](const DataLock::Owner &owner) { sayWaiting(lock, owner); });
    for (const QString &notice : lock.takeNotices())
        reportError(notice);
    if (state == DataLock::State::Taken) {
        WatchStore::removeStaleTemporaries(DataFolder(QFileInfo(lock.path()).path()));
    }
    return state;
}

int lockNotTaken(const DataLock &lock, DataLock::State state)
{
    switch (state) {
    case DataLock::State::HeldByWindow:
        reportError(windowOpenText());
        return ExitWindowOpen;
    case DataLock::State::HeldByCommandLine:
        reportError(QStringLiteral("%1, and has been for %2 seconds; try again later")
                        .arg(lock.errorText())
                        .arg(kWaitMs / 1000));
        return ExitBadUsage;
    case DataLock::State::Taken:
    case DataLock::State::Free:
        return ExitOk;
    case DataLock::State::Failed:
        break;
    }
    reportError(lock.errorText());
    return ExitBadUsage;
}

std::unique_ptr<WatchedData> openWatchedData(const QString &dataDir, bool mayCreate)
{
    const QString folder = chooseFolder(dataDir, mayCreate);
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
