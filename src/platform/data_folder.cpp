#include "platform/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
const char16_t kCp1252High[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

QString decodeCp1252(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out.append(cp1252Char(static_cast<unsigned char>(c)));
    return out;
}

// Lines end at CR LF or a lone CR; with loneLfEnds a lone LF ends one too.
QList<QByteArray> splitLineBytes(const QByteArray &bytes, bool loneLfEnds)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] == '\r') {
            lines.append(bytes.mid(start, i - start));
            if (i + 1 < n && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        } else if (loneLfEnds && bytes[i] == '\n') {
            lines.append(bytes.mid(start, i - start));
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

LineFile readLineFile(const QString &path, bool loneLfEnds)
{
    LineFile result;
    QByteArray bytes;
    if (!readRegularFile(path, &bytes, &result.error))
        return result;
    for (const QByteArray &line : splitLineBytes(bytes, loneLfEnds))
        result.lines.append(decodeLegacyText(line));
    result.ok = true;
    return result;
}

struct Failure {
    int number = 0;
    QString text;
};

Failure systemFailure()
{
    const int number = errno;
    return { number, systemErrorText(number) };
}

// Where a data file's bytes go: the file itself, or the regular file that a
// link of its name leads to (a user may keep the real file elsewhere).
bool writeTarget(const QByteArray &path, QByteArray *target, Failure *failure)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0) {
        if (errno != ENOENT) {
            *failure = systemFailure();
            return false;
        }
        *target = path;
        return true;
    }
    if (S_ISREG(st.st_mode)) {
        *target = path;
        return true;
    }
    if (S_ISLNK(st.st_mode)) {
        if (char *real = ::realpath(path.constData(), nullptr)) {
            *target = real;
            std::free(real);
            if (::stat(target->constData(), &st) == 0 && S_ISREG(st.st_mode))
                return true;
        }
        *failure = { ENOENT, QStringLiteral("It is a link that leads to no regular file") };
        return false;
    }
    *failure = { S_ISDIR(st.st_mode) ? EISDIR : EINVAL, QStringLiteral("It is not a regular file") };
    return false;
}

// The whole content in a new file beside the target, on disk and closed. The
// file is its owner's only (mkostemp makes it so): posts2.txt holds passwords.
bool writeTemporary(
    const QByteArray &target, const QByteArray &bytes, QByteArray *temporary, Failure *failure, bool durable)
{
    QByteArray name = target + ".XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        *failure = systemFailure();
        return false;
    }
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok) {
            data += n;
            left -= n;
        }
    }
    // A full disk or an I/O error may show only here, when the data reaches the disk.
    ok = ok && (!durable || ::fsync(fd) == 0);
    if (!ok)
        *failure = systemFailure();
    if (::close(fd) != 0 && ok) {
        ok = false;
        *failure = systemFailure();
    }
    if (!ok) {
        ::unlink(name.constData());
        return false;
    }
    *temporary = name;
    return true;
}

// The file that entry is a temporary of, named NAME.XXXXXX as mkostemp and
// QSaveFile name them; empty when it is none. A word such as "backup" or
// "before" is all small letters, and is taken for a copy the user made.
QString temporaryOf(const QString &entry)
{
    if (entry.size() < 8 || entry[entry.size() - 7] != QLatin1Char('.'))
        return QString();
    bool random = false;
    for (const QChar c : QStringView(entry).right(6)) {
        if (c.unicode() > 127 || !c.isLetterOrNumber())
            return QString();
        random = random || !c.isLower();
    }
    return random ? entry.left(entry.size() - 7) : QString();
}

} // namespace

QString systemErrorText(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

bool readRegularFile(const QString &path, QByteArray *bytes, QString *error)
{
    // Non-blocking, so that a pipe put in a data file's place never waits for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = systemErrorText(errno);
        return false;
    }
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) {
        *error = systemErrorText(errno);
    } else if (!S_ISREG(st.st_mode)) {
        ok = false;
        *error = QStringLiteral("It is not a regular file");
    } else if (st.st_size > kMaxDataFileBytes) {
        ok = false;
        *error = QStringLiteral("It is larger than 64 MB, more than a data file ever holds");
    }
    if (ok) {
        bytes->resize(st.st_size);
        qsizetype have = 0;
        // The file may change size while it is read: read until its end, within the limit.
        while (ok) {
            if (have == bytes->size())
                bytes->resize(std::min<qsizetype>(have + 65536, kMaxDataFileBytes + 1));
            const ssize_t n = ::read(fd, bytes->data() + have, static_cast<size_t>(bytes->size() - have));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = n == 0;
                if (!ok)
                    *error = systemErrorText(errno);
                break;
            }
            have += n;
            if (have > kMaxDataFileBytes) {
                ok = false;
                *error = QStringLiteral("It is larger than 64 MB, more than a data file ever holds");
            }
        }
        bytes->resize(have);
    }
    ::close(fd);
    if (!ok)
        bytes->clear();
    return ok;
}

QChar cp1252Char(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kCp1252High[byte - 0x80]);
    return QChar(byte);
}

QString decodeLegacyText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

QStringList splitCrLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] == QLatin1Char('\r')) {
            lines.append(text.mid(start, i - start));
            if (i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

DataFolder::DataFolder(QString path)
    : m_path(std::move(path))
{
}

DataFolder DataFolder::besideExecutable()
{
    return DataFolder(QCoreApplication::applicationDirPath());
}

QString DataFolder::filePath(const QString &name) const
{
    return QDir(m_path).filePath(name);
}

DataFolder DataFolder::subFolder(const QString &name) const
{
    DataFolder sub(filePath(name));
    sub.m_madeOnWrite = true;
    return sub;
}

bool DataFolder::exists(const QString &name) const
{
    return xfileExists(filePath(name));
}

LineFile DataFolder::readLines(const QString &name) const
{
    return readLineFile(filePath(name), false);
}

LineFile DataFolder::readListLines(const QString &name) const
{
    return readLineFile(filePath(name), true);
}

bool DataFolder::writeText(const QString &name, const QString &text, QString *error, int *errorNumber) const
{
    return writeBytes(name, text.toUtf8(), error, errorNumber);
}

bool DataFolder::writeBytes(
    const QString &name, const QByteArray &bytes, QString *error, int *errorNumber, bool waitForDisk) const
{
    WriteFailure failure;
    if (write({ { name, bytes } }, &failure, waitForDisk))
        return true;
    if (error)
        *error = failure.error;
    if (errorNumber)
        *errorNumber = failure.number;
    return false;
}

bool DataFolder::makeOnWrite(WriteFailure *failure) const
{
    // For its owner only, like the files; never a data folder that went away.
    if (!m_madeOnWrite || QFileInfo(m_path).isDir())
        return true;
    const QFileInfo folder(m_path);
    if (folder.dir().exists() && folder.dir().mkdir(folder.fileName())) {
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return true;
    }
    if (failure)
        *failure = { QString(), QStringLiteral("The folder %1 could not be made").arg(m_path), EACCES };
    return false;
}

bool DataFolder::writeFiles(const QList<FileBytes> &files, WriteFailure *failure) const
{
    return write(files, failure, true);
}

bool DataFolder::write(const QList<FileBytes> &files, WriteFailure *failure, bool durable) const
{
    if (!makeOnWrite(failure))
        return false;
    struct Pending {
        QString name;
        QByteArray target;
        QByteArray temporary;
    };
    QList<Pending> pending;
    auto fail = [&](const QString &name, const Failure &why, qsizetype firstLeft) {
        for (qsizetype i = firstLeft; i < pending.size(); ++i)
            ::unlink(pending[i].temporary.constData());
        if (failure)
            *failure = { name, why.text, why.number };
        return false;
    };
    for (const FileBytes &file : files) {
        Pending p { file.name, {}, {} };
        Failure why;
        if (!writeTarget(QFile::encodeName(filePath(file.name)), &p.target, &why)
            || !writeTemporary(p.target, file.bytes, &p.temporary, &why, durable))
            return fail(file.name, why, 0);
        pending.append(p);
    }
    for (qsizetype i = 0; i < pending.size(); ++i)
        if (::rename(pending[i].temporary.constData(), pending[i].target.constData()) != 0)
            return fail(pending[i].name, systemFailure(), i);
    return true;
}

QStringList DataFolder::removeStaleTemporaries(const std::function<bool(const QString &)> &isDataFile) const
{
    QStringList removed;
    const QStringList entries = QDir(m_path).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &entry : entries) {
        const QString original = temporaryOf(entry);
        if (original.isEmpty() || !isDataFile(original))
            continue;
        const QByteArray path = QFile::encodeName(filePath(entry));
        // One that a live program holds a lock on is in use (the lock's own file, about to be put in place).
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat st;
        const bool free = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (free && ::unlink(path.constData()) == 0)
            removed.append(entry);
        ::close(fd);
    }
    return removed;
}

bool DataFolder::createWithEmptyLine(const QString &name, QString *error) const
{
    return writeText(name, QStringLiteral("\r\n"), error);
}

bool xfileExists(const QString &path)
{
    QString name = path;
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0)
        name = path.mid(slash + 1);
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.isHidden())
        return false;
    return info.fileName().compare(name, Qt::CaseInsensitive) == 0;
}
