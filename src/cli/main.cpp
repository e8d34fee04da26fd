// postmaven-cli: the reply check, watching, the list of watched posts and the
// link converter without the window, for terminals, scripts and timers.
#include "cli/check_command.h"
#include "cli/command.h"
#include "cli/convert_command.h"
#include "cli/list_command.h"
#include "cli/output.h"
#include "cli/watch_command.h"
#include "platform/identity.h"
#include "platform/program_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<CheckCommand>());
    commands.push_back(std::make_unique<WatchCommand>());
    commands.push_back(std::make_unique<ListCommand>());
    commands.push_back(std::make_unique<ConvertCommand>());
    return commands;
}

QString overview(const ProgramOptions &options, const std::vector<std::unique_ptr<Command>> &commands)
{
    QString text = options.helpText();
    text += QStringLiteral("\nCommands:\n");
    for (const auto &command : commands)
        text += QStringLiteral("  %1  %2\n").arg(command->name(), -8).arg(command->description().section(u'.', 0, 0));
    text += QStringLiteral("\n'postmaven-cli COMMAND --help' tells more about a command.\n"
                           "Exit status: 0 done; 1 bad usage or data files that cannot be read or written; "
                           "2 some post could not be checked; 3 Postmaven is open and the change must wait.\n");
    return text;
}

int runCommandLine(const QStringList &arguments)
{
    const auto commands = allCommands();
    ProgramOptions options(QStringLiteral("postmaven-cli [options] command"),
        QStringLiteral("Checks Postmaven's watched posts for new replies, watches posts and converts messages, "
                       "without the window."));
    // Everything after the command's name belongs to the command.
    options.parser().setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    options.addVersionOption(QStringLiteral("postmaven-cli ") + Identity::versionText());
    options.addDataDirOption(dataDirDescription());
    options.parser().addPositionalArgument(QStringLiteral("command"), QStringLiteral("check, watch, list or convert."));
    switch (options.parse(arguments)) {
    case ProgramOptions::Outcome::Error:
        writeError(QStringLiteral("postmaven-cli: %1\nTry 'postmaven-cli --help'.").arg(options.errorText()));
        return ExitBadUsage;
    case ProgramOptions::Outcome::Help:
        writeOut(overview(options, commands));
        return ExitOk;
    case ProgramOptions::Outcome::Version:
        writeOut(options.versionText());
        return ExitOk;
    case ProgramOptions::Outcome::Run:
        break;
    }
    const QStringList rest = options.parser().positionalArguments();
    if (rest.isEmpty()) {
        writeError(QStringLiteral("postmaven-cli: no command given\nTry 'postmaven-cli --help'."));
        return ExitBadUsage;
    }
    for (const auto &command : commands)
        if (command->name() == rest.constFirst())
            return command->execute(rest, options.dataDir());
    writeError(
        QStringLiteral("postmaven-cli: unknown command '%1'\nTry 'postmaven-cli --help'.").arg(rest.constFirst()));
    return ExitBadUsage;
}

} // namespace

int main(int argc, char *argv[])
{
    // Nothing here needs GLib's main loop, and Qt's own serves a thousand
    // connections in a row measurably faster.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(Identity::productName());
    QCoreApplication::setOrganizationName(Identity::productName());
    QCoreApplication::setApplicationVersion(Identity::versionText());
    int status = runCommandLine(QCoreApplication::arguments());
    // Output that never arrived must not pass for success (a full disk, a closed pipe).
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "postmaven-cli: cannot write standard output: %s\n", std::strerror(errno));
        status = ExitBadUsage;
    }
    return status;
}
