#include "logins/forums_model.h"

#include "platform/list_records.h"

namespace {

// The login row: user name, "|", password; empty for a forum without a login.
QString loginRow(const Forum &f)
{
    if (f.userName.isEmpty() && f.password.isEmpty())
        return QString();
    return f.userName + QLatin1Char('|') + f.password;
}

// "|" parts the fields of a record and has no escape. In an address it is
// written as %7C, which names the same page, so the address reads back whole.
QString fileSafeAddress(const QString &address)
{
    QString safe = address;
    return safe.replace(QLatin1Char('|'), QLatin1String("%7C"));
}

} // namespace

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
            // An address, with or without a user name: no login.
            m_forums.append({ first < 0 ? line : line.left(first), QString(), QString() });
            continue;
        }
        // The password is all that follows the second "|": it may hold "|" itself.
        m_forums.append({ line.left(first), line.mid(first + 1, second - first - 1), line.mid(second + 1) });
    }
    endResetModel();
}

QString ForumsModel::fileText() const
{
    QStringList records;
    // A forum without a login keeps the one "|" it has always been written with.
    for (const Forum &f : m_forums)
        records.append(f.address + QLatin1Char('|') + loginRow(f));
    return listFileText(records);
}

int ForumsModel::indexOf(const QString &address) const
{
    const QString wanted = fileSafeAddress(address);
    for (int i = 0; i < m_forums.size(); ++i)
        if (m_forums[i].address == wanted)
            return i;
    return -1;
}

void ForumsModel::add(const Forum &forum)
{
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_forums.append({ fileSafeAddress(forum.address), forum.userName, forum.password });
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

void ForumsModel::setLogin(int row, const QString &userName, const QString &password)
{
    if (row < 0 || row >= count())
        return;
    Forum &f = m_forums[row];
    if (f.userName == userName && f.password == password)
        return;
    f.userName = userName;
    f.password = password;
    emit dataChanged(index(row, LoginColumn), index(row, LoginColumn));
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
        return index.column() == AddressColumn ? f.address : loginRow(f);
    // A long address is cut off in the list; a login never shows as a tip.
    if (role == Qt::ToolTipRole && index.column() == AddressColumn)
        return f.address;
    return QVariant();
}
