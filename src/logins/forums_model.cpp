#include "logins/forums_model.h"

#include "platform/list_records.h"

ForumsModel::ForumsModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ForumsModel::load(const QStringList &lines)
{
    beginResetModel();
    m_forums.clear();
    for (const QString &line : listRecords(lines)) {
        const qsizetype first = line.indexOf(QLatin1Char('|'));
        const qsizetype second = first < 0 ? -1 : line.indexOf(QLatin1Char('|'), first + 1);
        if (second < 0) {
            // An address, with or without a user name: no login row.
            m_forums.append({ first < 0 ? line : line.left(first), QString() });
            continue;
        }
        m_forums.append({ line.left(first), line.mid(first + 1) });
    }
    endResetModel();
}

QString ForumsModel::fileText() const
{
    QStringList records;
    for (const Forum &f : m_forums)
        records.append(f.url + QLatin1Char('|') + f.login);
    return listFileText(records);
}

int ForumsModel::indexOf(const QString &url) const
{
    for (int i = 0; i < m_forums.size(); ++i)
        if (m_forums[i].url == url)
            return i;
    return -1;
}

void ForumsModel::add(const QString &url, const QString &login)
{
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_forums.append({ url, login });
    endInsertRows();
}

void ForumsModel::removeAt(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_forums.removeAt(row);
    endRemoveRows();
}

void ForumsModel::setLogin(int row, const QString &login)
{
    if (row < 0 || row >= count() || m_forums[row].login == login)
        return;
    m_forums[row].login = login;
    emit dataChanged(index(row, LoginColumn), index(row, LoginColumn));
}

QString ForumsModel::userName(const QString &login)
{
    const qsizetype bar = login.indexOf(QLatin1Char('|'));
    return bar < 0 ? login : login.left(bar);
}

QString ForumsModel::password(const QString &login)
{
    const qsizetype bar = login.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : login.mid(bar + 1);
}

QString ForumsModel::joinLogin(const QString &user, const QString &password)
{
    return user + QLatin1Char('|') + password;
}

int ForumsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int ForumsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ForumsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    const Forum &f = m_forums.at(index.row());
    if (role == Qt::DisplayRole)
        return index.column() == AddressColumn ? f.url : f.login;
    // A long address is cut off in the list; a login never shows as a tip.
    if (role == Qt::ToolTipRole && index.column() == AddressColumn)
        return f.url;
    return QVariant();
}
