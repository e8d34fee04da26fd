#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for.
struct CommandLine {
    enum class Action {
        Run, // start the program
        Exit, // print output, then end with exitCode
    };
    Action action = Action::Run;
    // Text for standard output (--help, --version) or standard error.
    QString output;
    bool outputIsError = false;
    int exitCode = 0;
    // --data-dir; empty when not given.
    QString dataDir;
    // --report-startup: quit once the main window is shown, saying when and where.
    bool reportStartup = false;
};

// Reads the arguments, program name first. Runs before the application object
// exists, so that --help and --version work without a display.
CommandLine parseCommandLine(const QStringList &arguments);
