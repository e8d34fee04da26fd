#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

// A forum with its login: user name and password.
struct Forum {
    QString url;
    QString login; // user name, "|", password; empty when the file gave none
};

// The user's forums, in the order they were added. Column 0 is the address,
// column 1 the login row, so the two lists shown for them run in step.
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
    int indexOf(const QString &url) const;

    void add(const QString &url, const QString &login);
    void removeAt(int row);
    void setLogin(int row, const QString &login);

    // Splits a login row at its first "|": the password may hold "|" itself.
    static QString userName(const QString &login);
    static QString password(const QString &login);
    static QString joinLogin(const QString &user, const QString &password);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<Forum> m_forums;
};
