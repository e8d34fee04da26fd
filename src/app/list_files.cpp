#include "app/list_files.h"

#include "logins/forum_store.h"
#include "platform/data_location.h"
#include "platform/data_lock.h"
#include "platform/dialog_service.h"
#include "platform/identity.h"
#include "watch/watch_store.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace ListFiles {

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("ListFiles", text);
}
} // namespace

std::unique_ptr<DataLock> lock(AppServices &services)
{
    // postmaven-cli holds the lock only while it rewrites a few small files.
    constexpr int kWaitMs = 3000;
    auto lock = std::make_unique<DataLock>(services.folder.path(), DataLock::Holder::Window);
    // Nothing can be held in a folder that is not there; the box about it says enough.
    if (!services.folderProblem.isEmpty())
        return lock;
    const DataLock::State state = lock->lock(kWaitMs);
    services.startupNotices.append(lock->takeNotices());
    switch (state) {
    case DataLock::State::Taken:
        WatchStore::removeStaleTemporaries(services.folder);
        break;
    case DataLock::State::HeldByWindow:
    case DataLock::State::HeldByCommandLine:
        services.startupNotices.append(
            tr("%1: the watched posts of the window closed last are kept").arg(lock->errorText()));
        break;
    case DataLock::State::Failed:
    case DataLock::State::Free:
        services.startupNotices.append(
            tr("%1: postmaven-cli cannot tell that this window is open").arg(lock->errorText()));
        break;
    }
    return lock;
}

void createMissing(const AppServices &services, QWidget *window)
{
    // One box for the folder, not one for each file that could not be made in it.
    if (!services.folderProblem.isEmpty()) {
        services.dialogs->message(window,
            tr("%1\r\n\r\nThe lists start empty, and nothing can be saved until that is put right.")
                .arg(services.folderProblem),
            Identity::productName(), DialogService::Icon::Exclamation);
        return;
    }
    const DataFolder &folder = services.folder;
    QStringList failures;
    for (const QString &name : dataFileNames()) {
        // Something that is there but is no readable file is reported when
        // the lists are read, and left alone.
        if (QFileInfo::exists(folder.filePath(name)))
            continue;
        QString error;
        if (!folder.createWithEmptyLine(name, &error))
            failures.append(QStringLiteral("%1: %2").arg(folder.filePath(name), error));
    }
    if (!failures.isEmpty())
        services.dialogs->message(window,
            tr("These data files could not be created:\r\n\r\n%1").arg(failures.join(QStringLiteral("\r\n"))),
            Identity::productName(), DialogService::Icon::Exclamation);
}

void read(WatchStore &store, ForumStore &forums, const AppServices &services, QWidget *window)
{
    QList<FileProblem> problems = store.load();
    problems += forums.load();
    for (const FileProblem &problem : problems)
        services.dialogs->message(window,
            tr("The data file %1 could not be read:\r\n%2\r\n\r\nIts list starts empty, and the file is left as it is.")
                .arg(problem.path, problem.error),
            Identity::productName(), DialogService::Icon::Exclamation);
}

bool writeAtTheEnd(WatchStore &store, ForumStore &forums, const AppServices &services, QWidget *window, Asking asking)
{
    for (;;) {
        QList<FileProblem> problems = store.savePosts();
        FileProblem problem;
        // A file unreadable at start-up is left alone on purpose, and was reported then.
        if (!forums.saveForums(&problem) && !forums.wasUnreadable())
            problems.append(problem);
        if (problems.isEmpty())
            return true;
        QStringList lines;
        for (const FileProblem &p : problems)
            lines.append(QStringLiteral("%1: %2").arg(p.path, p.error));
        if (asking == Asking::Nobody) {
            // Nobody may be there to answer a box: say it and go on ending.
            for (const QString &line : lines)
                fprintf(stderr, "postmaven: could not write %s\n", qPrintable(line));
            return true;
        }
        const QString text = tr("These files could not be written:\r\n\r\n%1\r\n\r\nWhat they held before is kept. "
                                "Retry, or Cancel to keep the window open?")
                                 .arg(lines.join(QStringLiteral("\r\n")));
        if (!services.dialogs->ask(window, text, Identity::productName(), DialogService::Choice::RetryCancel))
            return false;
    }
}

} // namespace ListFiles
