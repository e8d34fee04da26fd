#include "watch/watched_posts_model.h"

#include "watch/list_records.h"

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
    if (!ok)
        return std::nullopt;
    return v;
}

void WatchedPostsModel::load(const QStringList &postLines, const QStringList &sizeLines)
{
    beginResetModel();
    m_posts.clear();
    const QStringList posts = listRecords(postLines);
    const QStringList sizes = listRecords(sizeLines);
    for (int i = 0; i < posts.size(); ++i)
        m_posts.append({ m_nextId++, posts[i], i < sizes.size() ? sizes[i] : QString() });
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
        records.append(sizeValue(p.size) ? p.size : noSizeText());
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
    m_posts.append({ m_nextId++, url, size });
    endInsertRows();
    return m_posts.last().id;
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
    m_posts[row].size = QString::number(size);
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
    return index.column() == AddressColumn ? p.url : p.size;
}
