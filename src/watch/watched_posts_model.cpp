#include "watch/watched_posts_model.h"

#include "platform/list_records.h"

#include <QHash>

#include <algorithm>

WatchedPostsModel::WatchedPostsModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

std::optional<qint64> WatchedPostsModel::sizeValue(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    // No page is smaller than nothing: such a record is measured afresh.
    if (!ok || v < 0)
        return std::nullopt;
    return v;
}

// A thread measured over its pages is written "48213 pages=4 last=4". Versions
// that measured the watched page alone read such a record as no size and
// measure the post afresh, so they never take a thread's sum for the size of
// its first page; a plain number is always such a version's one page. Every
// size measured as a thread carries the word, one page too: otherwise a
// thread that gains its second page could not be told from a page recorded
// by an older version, whose other pages would look like new replies.
QString WatchedPostsModel::sizeRecord(const WatchedPost &post)
{
    if (!post.size)
        return noSizeText();
    if (post.pages <= 0)
        return QString::number(*post.size);
    QString record = QStringLiteral("%1 pages=%2").arg(*post.size).arg(post.pages);
    if (post.lastPage >= 0)
        record += QStringLiteral(" last=%1").arg(post.lastPage);
    return record;
}

void WatchedPostsModel::readSizeRecord(const QString &record, WatchedPost &post)
{
    post.pages = 0;
    post.lastPage = -1;
    const QStringList words = record.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2) {
        post.size = sizeValue(record);
        return;
    }
    // Anything but a whole thread record is no size.
    post.size.reset();
    auto digits = [](const QString &text) {
        return !text.isEmpty() && text.size() <= 18 && std::all_of(text.begin(), text.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    };
    if (!digits(words[0]))
        return;
    int pages = 0;
    qint64 lastPage = -1;
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (words[i].startsWith(QLatin1String("pages=")) && digits(words[i].mid(6)))
            pages = words[i].mid(6).toInt();
        else if (words[i].startsWith(QLatin1String("last=")) && digits(words[i].mid(5)))
            lastPage = words[i].mid(5).toLongLong();
    }
    if (pages < 1)
        return;
    post.size = words[0].toLongLong();
    post.pages = pages;
    post.lastPage = lastPage;
}

void WatchedPostsModel::load(const QStringList &postLines, const QStringList &sizeLines)
{
    beginResetModel();
    m_posts.clear();
    m_droppedCopies = 0;
    const QStringList posts = listRecords(postLines);
    const QStringList sizes = listRecords(sizeLines);
    QHash<QString, int> rows;
    for (int i = 0; i < posts.size(); ++i) {
        WatchedPost post;
        post.url = posts[i];
        readSizeRecord(i < sizes.size() ? sizes[i] : QString(), post);
        // One post per address, where the first copy stands, with the first
        // copy's size that has one: a copy without a size would never be measured.
        const auto known = rows.constFind(post.url);
        if (known != rows.constEnd()) {
            ++m_droppedCopies;
            WatchedPost &kept = m_posts[*known];
            if (!kept.size && post.size) {
                post.id = kept.id;
                kept = post;
            }
            continue;
        }
        post.id = m_nextId++;
        rows.insert(post.url, static_cast<int>(m_posts.size()));
        m_posts.append(post);
    }
    endResetModel();
}

QString WatchedPostsModel::postsFileText() const
{
    QStringList records;
    for (const WatchedPost &p : m_posts)
        records.append(p.url);
    return listFileText(records);
}

QString WatchedPostsModel::sizesFileText() const
{
    QStringList records;
    for (const WatchedPost &p : m_posts)
        records.append(sizeRecord(p));
    return listFileText(records);
}

int WatchedPostsModel::rowOf(quint64 id) const
{
    for (int i = 0; i < m_posts.size(); ++i)
        if (m_posts[i].id == id)
            return i;
    return -1;
}

bool WatchedPostsModel::isWatched(const QString &url) const
{
    return watchIndex(url) >= 0;
}

int WatchedPostsModel::watchIndex(const QString &url) const
{
    for (int i = 0; i < m_posts.size(); ++i)
        if (m_posts[i].url == url)
            return i;
    return -1;
}

quint64 WatchedPostsModel::add(const QString &url, const QString &size)
{
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    WatchedPost post;
    post.id = m_nextId++;
    post.url = url;
    readSizeRecord(size, post);
    m_posts.append(post);
    endInsertRows();
    return m_posts.last().id;
}

int WatchedPostsModel::rowFor(const QString &url)
{
    const int row = watchIndex(url);
    if (row >= 0)
        return row;
    add(url);
    return count() - 1;
}

void WatchedPostsModel::removeAt(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_posts.removeAt(row);
    endRemoveRows();
}

bool WatchedPostsModel::setSize(quint64 id, qint64 size)
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    m_posts[row].size = size;
    m_posts[row].pages = 0;
    m_posts[row].lastPage = -1;
    emit dataChanged(index(row, SizeColumn), index(row, SizeColumn));
    return true;
}

bool WatchedPostsModel::setThreadSize(quint64 id, qint64 bytes, int pages, qint64 lastPage)
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    m_posts[row].size = bytes;
    m_posts[row].pages = std::max(pages, 1);
    m_posts[row].lastPage = lastPage;
    emit dataChanged(index(row, SizeColumn), index(row, SizeColumn));
    return true;
}

int WatchedPostsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int WatchedPostsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant WatchedPostsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const WatchedPost &p = m_posts.at(index.row());
    if (index.column() == AddressColumn)
        return p.url;
    return p.size ? QString::number(*p.size) : QString();
}
