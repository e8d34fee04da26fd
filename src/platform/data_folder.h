#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Result of reading a line file: the lines, or why the file could not be read.
struct LineFile {
    bool ok = false;
    QString error;
    QStringList lines;
};

// A file's whole new content.
struct FileBytes {
    QString name;
    QByteArray bytes;
};

// Why a write failed: the file, the system's reason and its error number.
struct WriteFailure {
    QString name;
    QString error;
    int number = 0;
};

// The folder that holds the program's data files. Files are text with CR LF
// line ends; every rewrite replaces the whole file atomically (a temporary
// file beside it, then a rename), so a crash never leaves half a file, and
// a write that fails in any way leaves the file as it was.
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
    // is readable and writable by its owner only. Returns false with a reason
    // and the system's error number.
    bool writeText(
        const QString &name, const QString &text, QString *error = nullptr, int *errorNumber = nullptr) const;
    // The bytes as they are, in the same way. Without waitForDisk, for a file
    // that can be made again: still atomic for a crash of the program, but a
    // power cut may leave neither the old file nor the new one whole.
    bool writeBytes(const QString &name, const QByteArray &bytes, QString *error = nullptr, int *errorNumber = nullptr,
        bool waitForDisk = true) const;
    // Files that belong together, all or none: each is written in full and
    // flushed to disk beside its original before any takes its original's
    // place. A name that is a link to a regular file writes that file.
    bool writeFiles(const QList<FileBytes> &files, WriteFailure *failure = nullptr) const;
    // Appends one empty line; used to create a missing data file.
    bool createWithEmptyLine(const QString &name, QString *error = nullptr) const;

    bool exists(const QString &name) const;

    // Removes the temporary files that a write cut short (a killed process,
    // a power cut) left beside the files named; returns the names removed.
    // Call it only while holding the folder's lock: another program's write
    // in progress looks the same.
    QStringList removeStaleTemporaries(const QStringList &names) const
    {
        return removeStaleTemporaries([&names](const QString &name) { return names.contains(name); });
    }
    // The same for the files whose names isDataFile accepts.
    QStringList removeStaleTemporaries(const std::function<bool(const QString &name)> &isDataFile) const;

private:
    bool makeOnWrite(WriteFailure *failure) const;
    bool write(const QList<FileBytes> &files, WriteFailure *failure, bool durable) const;

    QString m_path;
    bool m_madeOnWrite = false;
};

// No data file is ever near this size: a larger one is refused rather than
// read into memory.
constexpr qint64 kMaxDataFileBytes = 64 * 1024 * 1024;

// The system's text for an error number.
QString systemErrorText(int number);

// The bytes of a regular file up to kMaxDataFileBytes; anything else (a
// pipe, a device, a folder, a link to one of them) is refused with a reason
// and never opened in a way that could wait for a writer.
bool readRegularFile(const QString &path, QByteArray *bytes, QString *error);

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
