#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>

// A post a check run found new replies in, with the text added.
struct NewReply {
    QString address;
    QString added; // one line a line; empty when only the page's size told
    QString gist; // the start of it, on one line
};

// The new replies of the last check run, for the "New Replies " list: each
// row shows the address and, under it, the start of the text added; its tip
// holds the whole text added. AddressRole gives the address alone.
class NewRepliesModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int AddressRole = Qt::UserRole;

    explicit NewRepliesModel(QObject *parent = nullptr);

    void clear();
    void append(const NewReply &reply);
    const QList<NewReply> &all() const { return m_replies; }
    QStringList addresses() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<NewReply> m_replies;
};
