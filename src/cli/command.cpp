#include "cli/command.h"

#include "cli/output.h"
#include "platform/program_options.h"

Command::Command(QString name, QString description, DataUse dataUse)
    : m_name(std::move(name))
    , m_description(std::move(description))
    , m_dataUse(dataUse)
{
}

Command::~Command() = default;

QString dataDirDescription()
{
    return QStringLiteral("Use the data files in <dir> instead of the window's data folder.");
}

int Command::execute(const QStringList &arguments, const QString &dataDir)
{
    // The usage line names the command, which the parser does not know of.
    QString usage = QStringLiteral("postmaven-cli %1 [options]").arg(m_name);
    for (const QString &argument : requiredArguments())
        usage += QLatin1Char(' ') + argument;
    ProgramOptions options(usage, m_description);
    if (m_dataUse != DataUse::None)
        options.addDataDirOption(dataDirDescription());
    addOptions(options.parser());
    switch (options.parse(arguments)) {
    case ProgramOptions::Outcome::Error:
        return badUsage(options.errorText());
    case ProgramOptions::Outcome::Help:
        writeOut(options.helpText());
        return ExitOk;
    case ProgramOptions::Outcome::Version: // a command has no --version of its own
    case ProgramOptions::Outcome::Run:
        break;
    }
    m_dataDir = options.hasDataDir() ? options.dataDir() : dataDir;
    const QStringList positional = options.parser().positionalArguments();
    const qsizetype needed = requiredArguments().size();
    if (positional.size() < needed)
        return badUsage(QStringLiteral("Missing %1.").arg(requiredArguments().at(positional.size())));
    if (positional.size() > needed)
        return badUsage(QStringLiteral("Unexpected argument '%1'.").arg(positional.at(needed)));
    return run(options.parser());
}

int Command::badUsage(const QString &message) const
{
    writeError(QStringLiteral("postmaven-cli %1: %2\nTry 'postmaven-cli %1 --help'.").arg(m_name, message));
    return ExitBadUsage;
}
