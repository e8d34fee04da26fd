#include "cli/list_command.h"

#include "cli/data_access.h"
#include "cli/output.h"

ListCommand::ListCommand()
    : Command(QStringLiteral("list"),
        QStringLiteral("Prints every watched post, one a line: its address, a tab, and its recorded size in "
                       "bytes (\"none\" when it has none yet)."),
        DataUse::Reads)
{
}

void ListCommand::addOptions(QCommandLineParser &) { }

int ListCommand::run(const QCommandLineParser &)
{
    const auto data = openWatchedData(dataDir(), mayCreateDataFolder());
    if (!data)
        return ExitBadUsage;
    QString text;
    for (const WatchedPost &post : data->store.posts().all()) {
        const std::optional<qint64> size = post.size;
        text += post.url + QLatin1Char('\t') + (size ? QString::number(*size) : WatchedPostsModel::noSizeText())
            + QLatin1Char('\n');
    }
    writeOut(text);
    return ExitOk;
}
