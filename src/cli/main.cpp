// postmaven-cli: the reply check, watching, the list of watched posts and the
// link converter without the window, for terminals, scripts and timers.
#include "cli/check_command.h"
#include "cli/command.h"
#include "cli/convert_command.h"
#include "cli/list_command.h"
#include "cli/output.h"
#include "cli/watch_command.h"
#include "platform/identity.h"

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

QString overview(QCommandLineParser &parser, const std::vector<std::unique_ptr<Command>> &commands)
{
    QString text = parser.helpText();
    text.replace(0, text.indexOf(QLatin1Char('\n')), QStringLiteral("Usage: postmaven-cli [options] command"));
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
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks Postmaven's watched posts for new replies, watches posts and converts messages, "
                       "without the window."));
    // Everything after the command's name belongs to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("check, watch, list or convert."));
    if (!parser.parse(arguments)) {
        writeError(QStringLiteral("postmaven-cli: %1\nTry 'postmaven-cli --help'.").arg(parser.errorText()));
        return ExitBadUsage;
    }
    if (parser.isSet(help)) {
        writeOut(overview(parser, commands));
        return ExitOk;
    }
    if (parser.isSet(version)) {
        writeOut(QStringLiteral("postmaven-cli %1\n").arg(Identity::versionText()));
        return ExitOk;
    }
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        writeError(QStringLiteral("postmaven-cli: no command given\nTry 'postmaven-cli --help'."));
        return ExitBadUsage;
    }
    for (const auto &command : commands)
        if (command->name() == rest.constFirst())
            return command->execute(rest);
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
