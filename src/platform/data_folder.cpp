#include "platform/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    for (const QByteArray &line : splitLineBytes(bytes, loneLfEnds))
        result.lines.append(decodeLegacyText(line));
    result.ok = true;
    return result;
}

} // namespace

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

bool DataFolder::makeOnWrite(QString *error, int *errorNumber) const
{
    if (!m_madeOnWrite || QFileInfo(m_path).isDir())
        return true;
    // Made on its first write, for its owner only like the files; never a
    // data folder that went away.
    const QFileInfo folder(m_path);
    if (folder.dir().exists() && folder.dir().mkdir(folder.fileName())) {
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return true;
    }
    if (error)
        *error = QCoreApplication::translate("DataFolder", "The folder %1 could not be made.").arg(m_path);
    if (errorNumber)
        *errorNumber = static_cast<int>(QFileDevice::OpenError);
    return false;
}

bool DataFolder::replaceBytes(const QString &name, const QByteArray &bytes, QString *error, int *errorNumber) const
{
    if (!makeOnWrite(error, errorNumber))
        return false;
    QTemporaryFile file(filePath(name) + QLatin1String(".XXXXXX"));
    auto fail = [&](const QString &reason, int number) {
        if (error)
            *error = reason;
        if (errorNumber)
            *errorNumber = number;
        return false;
    };
    if (!file.open())
        return fail(file.errorString(), static_cast<int>(file.error()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString(), static_cast<int>(file.error()));
    file.close();
    // rename(2) replaces the old file in one step.
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(filePath(name)).constData())
        != 0) {
        const int number = errno;
        return fail(QString::fromLocal8Bit(std::strerror(number)), number);
    }
    file.setAutoRemove(false);
    return true;
}

bool DataFolder::writeBytes(const QString &name, const QByteArray &bytes, QString *error, int *errorNumber) const
{
    if (!makeOnWrite(error, errorNumber))
        return false;
    QSaveFile file(filePath(name));
    auto fail = [&](QFileDevice &device) {
        if (error)
            *error = device.errorString();
        if (errorNumber)
            *errorNumber = static_cast<int>(device.error());
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file);
    // posts2.txt holds passwords: files are for their owner only.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size())
        return fail(file);
    if (!file.commit())
        return fail(file);
    return true;
}

bool DataFolder::createWithEmptyLine(const QString &name, QString *error) const
{
    return writeText(name, QStringLiteral("\r\n"), error);
}

bool DataFolder::readBytes(const QString &name, QByteArray *bytes, QString *error) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool DataFolder::remove(const QString &name, QString *error) const
{
    QFile file(filePath(name));
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

QStringList DataFolder::fileNames() const
{
    return QDir(m_path).entryList(QDir::Files | QDir::Hidden);
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
