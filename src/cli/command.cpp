#include "cli/command.h"

#include "cli/output.h"

Command::Command(QString name, QString description)
    : m_name(std::move(name))
    , m_description(std::move(description))
{
}

Command::~Command() = default;

QCommandLineOption Command::dataDirOption()
{
    return QCommandLineOption(QStringLiteral("data-dir"),
        QStringLiteral("Use the data files in <dir> instead of the window's data folder."), QStringLiteral("dir"));
}

int Command::execute(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(m_description);
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    addOptions(parser);
    if (!parser.parse(arguments))
        return badUsage(parser.errorText());
    if (parser.isSet(help)) {
        writeOut(helpText(parser));
        return ExitOk;
    }
    const qsizetype needed = requiredArguments().size();
    if (parser.positionalArguments().size() < needed)
        return badUsage(QStringLiteral("Missing %1.").arg(requiredArguments().at(parser.positionalArguments().size())));
    if (parser.positionalArguments().size() > needed)
        return badUsage(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().at(needed)));
    return run(parser);
}

int Command::badUsage(const QString &message) const
{
    writeError(QStringLiteral("postmaven-cli %1: %2\nTry 'postmaven-cli %1 --help'.").arg(m_name, message));
    return ExitBadUsage;
}

QString Command::helpText(QCommandLineParser &parser) const
{
    // The usage line names the command, which the parser does not know of.
    QString text = parser.helpText();
    QString usage = QStringLiteral("Usage: postmaven-cli %1 [options]").arg(m_name);
    for (const QString &argument : requiredArguments())
        usage += QLatin1Char(' ') + argument;
    text.replace(0, text.indexOf(QLatin1Char('\n')), usage);
    return text;
}
