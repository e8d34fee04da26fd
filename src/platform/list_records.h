#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DataFolder;

// The list files (posts.txt, sizes.txt, posts2.txt) keep an empty line after
// every record. Reading skips lines that are empty or one space.
QStringList listRecords(const QStringList &lines);
// Each record followed by CR LF CR LF.
QString listFileText(const QStringList &records);

// Why an address is not taken, to be watched, kept as a forum or opened: a
// line break would part its record in the list files in two, as would
// another control character in any program that reads them. Empty when it
// is taken.
QString addressRefusal(const QString &address);

// A data file that could not be read or written, and why.
struct FileProblem {
    QString name; // "posts.txt"
    QString path;
    QString error;
    int number = 0;
};

FileProblem fileProblem(const DataFolder &folder, const QString &name, const QString &error, int number = 0);

// The lines of a list file, or nothing when it could not be read (the
// problem is added). A file that is not there yet is an empty list.
std::optional<QStringList> readListFile(const DataFolder &folder, const QString &name, QList<FileProblem> &problems);
// Rewrites a list file whole; false with the problem when it could not.
bool writeListFile(const DataFolder &folder, const QString &name, const QString &text, FileProblem *problem);
