#include "app/command_line.h"

#include "platform/identity.h"

#include <QCommandLineParser>
#include <QFileInfo>

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes forum messages with working links, inserts them into a forum's posting form and "
                       "watches your posts for new replies."));
    // Qt's own options are single-dash words (-platform, -style); reading them
    // as bundles of letters would make nonsense of the unknown ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Added by hand: the standard help option brings --help-all, whose Qt
    // options need the application object.
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
        QStringLiteral("Keep the data files (messages, forums, watched posts) in <dir>."), QStringLiteral("dir"));
    parser.addOption(dataDir);
    const QCommandLineOption reportStartup(QStringLiteral("report-startup"),
        QStringLiteral("Quit as soon as the main window is shown, printing when that was, the data folder and the "
                       "help file in use (for start-up measurements and installation checks)."));
    parser.addOption(reportStartup);

    CommandLine result;
    const bool ok = parser.parse(arguments);
    result.unknownOptions = parser.unknownOptionNames();
    // Options of Qt and of the web engine pass through; anything else wrong
    // with the line ends the program, as QCommandLineParser::process would.
    if (!ok && result.unknownOptions.isEmpty()) {
        result.action = CommandLine::Action::Exit;
        result.output = parser.errorText() + QLatin1Char('\n');
        result.outputIsError = true;
        result.exitCode = 1;
        return result;
    }
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::Exit;
        // The usage line names the program as it was started.
        const QString program
            = arguments.isEmpty() ? Identity::productName().toLower() : QFileInfo(arguments.constFirst()).fileName();
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')), QStringLiteral("Usage: %1 [options]").arg(program));
        result.output = text;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::Exit;
        result.output = Identity::productName() + QLatin1Char(' ') + Identity::versionText() + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(dataDir))
        result.dataDir = parser.value(dataDir);
    result.reportStartup = parser.isSet(reportStartup);
    return result;
}
