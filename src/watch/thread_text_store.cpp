#include "watch/thread_text_store.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>

namespace {
// The first line names the format, the second the digest of the text, and
// the rest is the text compressed: whether a thread says what it said is
// told without unpacking it.
const QByteArray kMagic = "postmaven thread text 1\n";
const QString kSuffix = QStringLiteral(".text");
// Marks a page whose text was cut short; the text of other pages is written as before.
const QByteArray kCut = "cut";

// The next line of bytes from pos, without its "\n"; false at the end.
bool nextLine(const QByteArray &bytes, qsizetype &pos, QByteArray &line)
{
    const qsizetype end = bytes.indexOf('\n', pos);
    if (end < 0)
        return false;
    line = bytes.mid(pos, end - pos);
    pos = end + 1;
    return true;
}
} // namespace

const QString ThreadTextStore::kFolder = QStringLiteral("threads");

ThreadTextStore::ThreadTextStore(const DataFolder &dataFolder)
    : m_folder(dataFolder.subFolder(kFolder))
{
}

QString ThreadTextStore::fileNameFor(const QString &url)
{
    return QString::fromLatin1(QCryptographicHash::hash(url.toUtf8(), QCryptographicHash::Sha1).toHex()) + kSuffix;
}

namespace {
// A name fileNameFor gives. Any other file in the folder is not the program's.
bool isKeptFileName(const QString &name)
{
    return name.size() == 40 + kSuffix.size() && name.endsWith(kSuffix)
        && std::all_of(name.begin(), name.begin() + 40,
            [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); });
}
} // namespace

QStringList ThreadTextStore::removeStaleTemporaries(const DataFolder &dataFolder)
{
    return dataFolder.subFolder(kFolder).removeStaleTemporaries(isKeptFileName);
}

namespace {
// MurmurHash64A: the same in every run of every process, unlike qHash.
quint64 murmur64(QByteArrayView bytes, quint64 seed)
{
    constexpr quint64 m = 0xc6a4a7935bd1e995ULL;
    constexpr int r = 47;
    const qsizetype length = bytes.size();
    quint64 h = seed ^ (static_cast<quint64>(length) * m);
    const qsizetype blocks = length / 8;
    for (qsizetype i = 0; i < blocks; ++i) {
        quint64 k = 0;
        std::memcpy(&k, bytes.data() + i * 8, 8);
        k *= m;
        k ^= k >> r;
        k *= m;
        h ^= k;
        h *= m;
    }
    const auto *tail = reinterpret_cast<const unsigned char *>(bytes.data() + blocks * 8);
    const int rest = static_cast<int>(length & 7);
    if (rest > 0) {
        for (int i = rest - 1; i >= 0; --i)
            h ^= static_cast<quint64>(tail[i]) << (8 * i);
        h *= m;
    }
    h ^= h >> r;
    h *= m;
    h ^= h >> r;
    return h;
}
} // namespace

QByteArray ThreadTextStore::digestOf(const ThreadText &text)
{
    // 64 bits: two texts that differ and share it are not to be met.
    quint64 h = 0x243f6a8885a308d3ULL;
    for (const ThreadPageText &page : text) {
        h = murmur64(page.lines, murmur64(page.key.toUtf8(), h));
        if (page.cut)
            h = murmur64(kCut, h);
    }
    return QByteArray::number(h, 16) + '-' + QByteArray::number(text.size());
}

QByteArray ThreadTextStore::fileBytes(const QString &url, const ThreadText &text)
{
    QByteArray raw = url.toUtf8() + '\n' + QByteArray::number(text.size()) + '\n';
    for (const ThreadPageText &page : text)
        raw += page.key.toUtf8() + '\n' + QByteArray::number(page.lines.size()) + (page.cut ? " " + kCut : QByteArray())
            + '\n' + page.lines;
    return kMagic + digestOf(text) + '\n' + qCompress(raw);
}

namespace {
// The digest line of a kept file, and where its compressed text begins.
QByteArray digestLine(const QByteArray &bytes, qsizetype *textStart = nullptr)
{
    if (!bytes.startsWith(kMagic))
        return {};
    const qsizetype end = bytes.indexOf('\n', kMagic.size());
    if (end < 0)
        return {};
    if (textStart)
        *textStart = end + 1;
    return bytes.mid(kMagic.size(), end - kMagic.size());
}
} // namespace

std::optional<ThreadText> ThreadTextStore::fromFileBytes(const QString &url, const QByteArray &bytes)
{
    qsizetype textStart = 0;
    if (digestLine(bytes, &textStart).isEmpty())
        return std::nullopt;
    const QByteArray raw
        = qUncompress(reinterpret_cast<const uchar *>(bytes.constData() + textStart), bytes.size() - textStart);
    qsizetype pos = 0;
    QByteArray line;
    // The address inside tells a file from one of another post with the same name.
    if (!nextLine(raw, pos, line) || QString::fromUtf8(line) != url || !nextLine(raw, pos, line))
        return std::nullopt;
    bool ok = false;
    const int pages = line.toInt(&ok);
    if (!ok || pages < 0)
        return std::nullopt;
    ThreadText text;
    for (int i = 0; i < pages; ++i) {
        ThreadPageText page;
        if (!nextLine(raw, pos, line))
            return std::nullopt;
        page.key = QString::fromUtf8(line);
        if (!nextLine(raw, pos, line))
            return std::nullopt;
        // "1234", or "1234 cut" for a page cut short.
        const QList<QByteArray> fields = line.split(' ');
        page.cut = fields.size() == 2 && fields[1] == kCut;
        const qsizetype length = fields[0].toLongLong(&ok);
        if (!ok || length < 0 || length > raw.size() - pos || fields.size() > (page.cut ? 2 : 1))
            return std::nullopt;
        page.lines = raw.mid(pos, length);
        pos += length;
        text.append(page);
    }
    return text;
}

std::optional<QByteArray> ThreadTextStore::fileOf(const QString &url) const
{
    const auto pending = m_pending.constFind(url);
    if (pending != m_pending.constEnd())
        return *pending;
    QByteArray bytes;
    QString error;
    if (!m_folder || !readRegularFile(m_folder->filePath(fileNameFor(url)), &bytes, &error))
        return std::nullopt;
    return bytes;
}

std::optional<ThreadText> ThreadTextStore::load(const QString &url) const
{
    const std::optional<QByteArray> bytes = fileOf(url);
    // A file that cannot be read as one is no kept text: the next measure replaces it.
    return bytes ? fromFileBytes(url, *bytes) : std::nullopt;
}

std::optional<ThreadText> ThreadTextStore::loadUnlessSame(const QString &url, const ThreadText &now) const
{
    const std::optional<QByteArray> bytes = fileOf(url);
    if (bytes && digestLine(*bytes) == digestOf(now))
        return now;
    return bytes ? fromFileBytes(url, *bytes) : std::nullopt;
}

bool ThreadTextStore::write(const QString &url, const QByteArray &bytes, FileProblem *problem) const
{
    const QString name = fileNameFor(url);
    QString error;
    int number = 0;
    // A kept text can be made again by the next measure: it does not wait for the disk.
    if (m_folder->writeBytes(name, bytes, &error, &number, false))
        return true;
    *problem = fileProblem(*m_folder, name, error, number);
    return false;
}

bool ThreadTextStore::keep(const QString &url, const ThreadText &text)
{
    const QByteArray bytes = fileBytes(url, text);
    FileProblem problem;
    if (m_folder && !m_deferred && write(url, bytes, &problem)) {
        m_pending.remove(url);
        return true;
    }
    m_pending.insert(url, bytes);
    return !m_folder || m_deferred;
}

void ThreadTextStore::forget(const QString &url)
{
    m_pending.remove(url);
    if (m_folder)
        QFile::remove(m_folder->filePath(fileNameFor(url)));
}

QList<FileProblem> ThreadTextStore::writePending()
{
    QList<FileProblem> problems;
    if (!m_folder)
        return problems;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        FileProblem problem;
        if (write(it.key(), it.value(), &problem)) {
            it = m_pending.erase(it);
        } else {
            problems.append(problem);
            ++it;
        }
    }
    return problems;
}

void ThreadTextStore::removeAllBut(const QStringList &urls)
{
    if (!m_folder)
        return;
    QSet<QString> keep;
    for (const QString &url : urls)
        keep.insert(fileNameFor(url));
    // Temporary files a write cut short are left to removeStaleTemporaries,
    // which tells them from a write in progress.
    for (const QString &name : QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden))
        if (isKeptFileName(name) && !keep.contains(name))
            QFile::remove(m_folder->filePath(name));
}
