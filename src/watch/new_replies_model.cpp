#include "watch/new_replies_model.h"

NewRepliesModel::NewRepliesModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void NewRepliesModel::clear()
{
    beginResetModel();
    m_replies.clear();
    endResetModel();
}

void NewRepliesModel::append(const NewReply &reply)
{
    const int row = static_cast<int>(m_replies.size());
    beginInsertRows(QModelIndex(), row, row);
    m_replies.append(reply);
    endInsertRows();
}

QStringList NewRepliesModel::addresses() const
{
    QStringList out;
    for (const NewReply &reply : m_replies)
        out.append(reply.address);
    return out;
}

int NewRepliesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_replies.size());
}

QVariant NewRepliesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_replies.size())
        return QVariant();
    const NewReply &reply = m_replies.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        // Every row has two lines, so rows keep one height.
        return reply.address + QLatin1String("\n    ") + reply.gist;
    case Qt::ToolTipRole:
        return reply.added.isEmpty() ? reply.address : reply.added;
    case AddressRole:
        return reply.address;
    default:
        return QVariant();
    }
}
