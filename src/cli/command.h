#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// Exit statuses of postmaven-cli.
enum ExitStatus {
    ExitOk = 0,
    ExitBadUsage = 1, // also data files that cannot be read or written
    ExitNotAllChecked = 2, // some post could not be checked or measured
    ExitWindowOpen = 3, // the window holds the data folder
};

// --data-dir, before a command or after it.
QString dataDirDescription();

// One subcommand of postmaven-cli: its name, its line in the overview, its
// options and its work.
class Command {
public:
    // What the command does with the data folder: one that writes may make
    // it, one that only reads makes nothing.
    enum class DataUse { None, Reads, Writes };

    Command(QString name, QString description, DataUse dataUse = DataUse::None);
    virtual ~Command();

    const QString &name() const { return m_name; }
    const QString &description() const { return m_description; }

    // The arguments start with the command's name; dataDir is a --data-dir
    // given before it, which one given after it overrides. Handles --help
    // and bad usage, then runs the command; returns the exit status.
    int execute(const QStringList &arguments, const QString &dataDir = QString());

protected:
    // The command's options and positional arguments; --help, and --data-dir
    // for a command that uses the data folder, are there already.
    virtual void addOptions(QCommandLineParser &parser) = 0;
    // Positional arguments the command needs, as the usage line names them.
    virtual QStringList requiredArguments() const { return {}; }
    virtual int run(const QCommandLineParser &parser) = 0;

    // The data folder the command line names; empty for the window's.
    const QString &dataDir() const { return m_dataDir; }
    bool mayCreateDataFolder() const { return m_dataUse == DataUse::Writes; }

    int badUsage(const QString &message) const;

private:
    QString m_name;
    QString m_description;
    DataUse m_dataUse;
    QString m_dataDir;
};
