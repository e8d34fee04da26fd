#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

// The options both programs share, read one way: --help, --version and
// --data-dir. Each program adds its own options to parser() and says what
// its usage line and version line are.
class ProgramOptions {
public:
    enum class Outcome {
        Run,
        Help, // print helpText() and end
        Version, // print versionText() and end
        Error, // errorText() says what is wrong with the line
    };

    // usage: the usage line after "Usage: ", which the parser cannot know
    // ("postmaven-cli check [options] url").
    ProgramOptions(QString usage, const QString &description);

    void addVersionOption(QString versionLine);
    void addDataDirOption(const QString &description);
    QCommandLineParser &parser() { return m_parser; }

    // Options the program does not know are an error unless allowed: the
    // window leaves them to Qt and the web engine.
    Outcome parse(const QStringList &arguments, bool allowUnknown = false);

    QString helpText() const;
    QString versionText() const { return m_versionLine + QLatin1Char('\n'); }
    QString errorText() const { return m_error; }
    bool hasDataDir() const { return m_dataDir && m_parser.isSet(*m_dataDir); }
    QString dataDir() const { return hasDataDir() ? m_parser.value(*m_dataDir) : QString(); }

private:
    QString m_usage;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    std::optional<QCommandLineOption> m_version;
    std::optional<QCommandLineOption> m_dataDir;
    QString m_versionLine;
    QString m_error;
};
