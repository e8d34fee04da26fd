#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Result of reading a line file: the lines, or why the file could not be read.
struct LineFile {
    bool ok = false;
    QString error;
    QStringList lines;
};

// The folder that holds the program's data files. Files are text with CR LF
// line ends; every rewrite replaces the whole file atomically (a temporary
// file beside it, then a rename), so a crash never leaves half a file.
class DataFolder {
public:
    explicit DataFolder(QString path);

    // The folder of the running executable.
    static DataFolder besideExecutable();

    QString path() const { return m_path; }
    QString filePath(const QString &name) const;
    // A folder inside this one; writing a file into it makes it, when this one is there.
    DataFolder subFolder(const QString &name) const;

    // Lines end at CR LF; a lone CR also ends a line and a lone LF stays in it.
    // Each line is decoded as UTF-8, or as Windows-1252 when it is not valid
    // UTF-8, so files kept by an older installation read correctly.
    LineFile readLines(const QString &name) const;
    // For the list files, where no value can hold a line break: CR LF, a lone
    // CR and a lone LF all end a line, so a file saved by an editor that
    // writes LF alone still reads as one record per line.
    LineFile readListLines(const QString &name) const;

    // Writes text as UTF-8 (the caller supplies the CR LF line ends). The file
    // is readable and writable by its owner only. Returns false with a reason.
    bool writeText(
        const QString &name, const QString &text, QString *error = nullptr, int *errorNumber = nullptr) const;
    // The bytes as they are, in the same way.
    bool writeBytes(
        const QString &name, const QByteArray &bytes, QString *error = nullptr, int *errorNumber = nullptr) const;
    // The same, without waiting for the disk: for a file that can be made
    // again. A crash leaves the old file or the new one; a power cut may
    // leave neither whole.
    bool replaceBytes(
        const QString &name, const QByteArray &bytes, QString *error = nullptr, int *errorNumber = nullptr) const;
    // Appends one empty line; used to create a missing data file.
    bool createWithEmptyLine(const QString &name, QString *error = nullptr) const;

    // The whole file; false with a reason when it cannot be read.
    bool readBytes(const QString &name, QByteArray *bytes, QString *error = nullptr) const;
    // A file that is not there is removed already.
    bool remove(const QString &name, QString *error = nullptr) const;
    // The names of the normal files in the folder.
    QStringList fileNames() const;

    bool exists(const QString &name) const;

private:
    bool makeOnWrite(QString *error, int *errorNumber) const;

    QString m_path;
    bool m_madeOnWrite = false;
};

// True when a normal (not hidden) file of that path exists; the found name is
// compared with the last component of the path without regard to case.
bool xfileExists(const QString &path);

// One byte of Windows-1252 as a character.
QChar cp1252Char(unsigned char byte);

// Bytes decoded as UTF-8, or as Windows-1252 when they are not valid UTF-8.
QString decodeLegacyText(const QByteArray &bytes);

// Splits text into lines that end at CR LF or a lone CR; a lone LF stays in
// its line. A final line without terminator is kept when not empty.
QStringList splitCrLines(const QString &text);
