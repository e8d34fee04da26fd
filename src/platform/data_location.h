#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The program's data files, in the order start-up creates them.
QStringList dataFileNames();

// What start-up knows when it picks the data folder.
struct DataLocationInput {
    QString programFolder;
    // The per-user folder, ~/.local/share/Postmaven.
    QString userFolder;
    // Given on the command line (--data-dir); empty when not given.
    QString overrideFolder;
    // Whether a file or folder can be written. Empty: the file system's answer
    // (pathIsWritable). Root may write almost anywhere, so tests steer this.
    std::function<bool(const QString &path)> canWrite;
    // False for a program that only reads: no folder is made and nothing is
    // copied. Of a folder given on the command line only the last part is
    // ever made, never the folders above it.
    bool mayCreate = true;
};

// The folder that holds the data files, and what the user should be told.
struct DataLocation {
    QString folder;
    // A line for the status bar: the data files were copied, or some could
    // not be. Empty when there is nothing to say.
    QString notice;
    // Why the folder cannot be used, naming it; empty when it can.
    QString error;
    // Data files copied into the folder at this start.
    QStringList copied;
};

// The program's own folder when it already holds data files and they can be
// written there (portable copies and older installations stay as they are).
// Otherwise the per-user folder, created for its owner only; the first time
// it is taken into use while the program's folder holds data files that
// cannot be written there, those files are copied over. An override wins.
DataLocation chooseDataLocation(const DataLocationInput &input);
// The same for the running program: its own folder, the user's folder, and
// --data-dir when given.
DataLocation chooseDataLocation(const QString &overrideFolder, bool mayCreate = true);

// ~/.local/share/Postmaven, following XDG_DATA_HOME.
QString userDataFolder();

// True when the process may write the path; false on a read-only file system
// even for root.
bool pathIsWritable(const QString &path);

// The installed data folders for a program in programFolder: share/postmaven
// beside its bin folder, then under the prefix the program was built for.
QStringList installedDataFolders(const QString &programFolder);

// Help.rtf beside the program, else in the first installed data folder that
// has it; empty when there is none.
QString findHelpFile(const QString &programFolder, const QStringList &dataFolders);
