#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

// A forum with its login. The password is empty where the keyring keeps it.
struct Forum {
    QString address;
    QString userName;
    QString password;
};

// The user's forums, in the order they were added. Column 0 is the address,
// column 1 the login row (user name, "|", password), so the two lists shown
// for them run in step. The model reads and writes posts2.txt's records.
class ForumsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { AddressColumn = 0, LoginColumn = 1 };

    explicit ForumsModel(QObject *parent = nullptr);

    // posts2.txt: address, "|", user name, "|", password per record.
    void load(const QStringList &lines);
    QString fileText() const;

    int count() const { return static_cast<int>(m_forums.size()); }
    const Forum &at(int row) const { return m_forums.at(row); }
    const QList<Forum> &forums() const { return m_forums; }
    int indexOf(const QString &address) const;

    // An address that holds "|" is kept with %7C in its place. A user name
    // never holds "|" (the window's box refuses it).
    void add(const Forum &forum);
    void removeAt(int row);
    void setLogin(int row, const QString &userName, const QString &password);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<Forum> m_forums;
};
