#include "app/command_line.h"

#include "platform/identity.h"
#include "platform/program_options.h"

#include <QFileInfo>

CommandLine parseCommandLine(const QStringList &arguments)
{
    // The usage line names the program as it was started.
    const QString program
        = arguments.isEmpty() ? Identity::productName().toLower() : QFileInfo(arguments.constFirst()).fileName();
    ProgramOptions options(QStringLiteral("%1 [options]").arg(program),
        QStringLiteral("Writes forum messages with working links, inserts them into a forum's posting form and "
                       "watches your posts for new replies."));
    // Qt's own options are single-dash words (-platform, -style); reading them
    // as bundles of letters would make nonsense of the unknown ones.
    options.parser().setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    options.addVersionOption(Identity::productName() + QLatin1Char(' ') + Identity::versionText());
    options.addDataDirOption(QStringLiteral("Keep the data files (messages, forums, watched posts) in <dir>."));
    const QCommandLineOption reportStartup(QStringLiteral("report-startup"),
        QStringLiteral("Quit as soon as the main window is shown, printing when that was, the data folder and the "
                       "help file in use (for start-up measurements and installation checks)."));
    options.parser().addOption(reportStartup);

    CommandLine result;
    // Options of Qt and of the web engine pass through; anything else wrong
    // with the line ends the program, as QCommandLineParser::process would.
    const ProgramOptions::Outcome outcome = options.parse(arguments, true);
    switch (outcome) {
    case ProgramOptions::Outcome::Error:
        result.action = CommandLine::Action::Exit;
        result.output = options.errorText() + QLatin1Char('\n');
        result.outputIsError = true;
        result.exitCode = 1;
        return result;
    case ProgramOptions::Outcome::Help:
        result.action = CommandLine::Action::Exit;
        result.output = options.helpText();
        return result;
    case ProgramOptions::Outcome::Version:
        result.action = CommandLine::Action::Exit;
        result.output = options.versionText();
        return result;
    case ProgramOptions::Outcome::Run:
        break;
    }
    result.dataDir = options.dataDir();
    result.reportStartup = options.parser().isSet(reportStartup);
    return result;
}
