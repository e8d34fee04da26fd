#include "cli/list_command.h"

#include "cli/data_access.h"
#include "cli/output.h"

ListCommand::ListCommand()
    : Command(QStringLiteral("list"),
        QStringLiteral("Prints every watched post, one a line: its address, a tab, and its recorded size in "
                       "bytes (\"none\" when it has none yet)."))
{
}

void ListCommand::addOptions(QCommandLineParser &parser)
{
    parser.addOption(dataDirOption());
}

int ListCommand::run(const QCommandLineParser &parser)
{
    const auto data = openWatchedData(parser);
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
