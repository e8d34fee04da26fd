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

// One subcommand of postmaven-cli: its name, its line in the overview, its
// options and its work.
class Command {
public:
    Command(QString name, QString description);
    virtual ~Command();

    const QString &name() const { return m_name; }
    const QString &description() const { return m_description; }

    // The arguments start with the command's name. Handles --help and bad
    // usage, then runs the command; returns the exit status.
    int execute(const QStringList &arguments);

protected:
    // The command's options and positional arguments; --help is there already.
    virtual void addOptions(QCommandLineParser &parser) = 0;
    // Positional arguments the command needs, as the usage line names them.
    virtual QStringList requiredArguments() const { return {}; }
    virtual int run(const QCommandLineParser &parser) = 0;

    // --data-dir, for the commands that read the data files.
    static QCommandLineOption dataDirOption();

    int badUsage(const QString &message) const;

private:
    QString helpText(QCommandLineParser &parser) const;

    QString m_name;
    QString m_description;
};
