#include "platform/program_options.h"

ProgramOptions::ProgramOptions(QString usage, const QString &description)
    : m_usage(std::move(usage))
    , m_help({ QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Displays help on commandline options."))
{
    m_parser.setApplicationDescription(description);
    // Added by hand: the standard help option brings --help-all, whose Qt
    // options need the application object.
    m_parser.addOption(m_help);
}

void ProgramOptions::addVersionOption(QString versionLine)
{
    m_versionLine = std::move(versionLine);
    m_version = m_parser.addVersionOption();
}

void ProgramOptions::addDataDirOption(const QString &description)
{
    m_dataDir = QCommandLineOption(QStringLiteral("data-dir"), description, QStringLiteral("dir"));
    m_parser.addOption(*m_dataDir);
}

ProgramOptions::Outcome ProgramOptions::parse(const QStringList &arguments, bool allowUnknown)
{
    if (!m_parser.parse(arguments) && !(allowUnknown && !m_parser.unknownOptionNames().isEmpty())) {
        m_error = m_parser.errorText();
        return Outcome::Error;
    }
    if (m_parser.isSet(m_help))
        return Outcome::Help;
    if (m_version && m_parser.isSet(*m_version))
        return Outcome::Version;
    // An empty name would quietly be the current folder, or the default one.
    if (hasDataDir() && dataDir().isEmpty()) {
        m_error = QStringLiteral("--data-dir was given an empty folder name.");
        return Outcome::Error;
    }
    return Outcome::Run;
}

QString ProgramOptions::helpText() const
{
    QString text = m_parser.helpText();
    text.replace(0, text.indexOf(QLatin1Char('\n')), QStringLiteral("Usage: ") + m_usage);
    return text;
}
