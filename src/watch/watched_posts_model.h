#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A watched post: its address and the recorded body size of its page. The
// size belongs to the post (found by id), never to a row number, so fetches
// that end after the list changed still write to the right post.
struct WatchedPost {
    quint64 id = 0;
    QString url;
    std::optional<qint64> size; // none until a measurement recorded one
    // How the size was measured: 0 for the watched page alone (a plain number
    // in sizes.txt, as versions that measured one page wrote it), else the
    // number of the thread's pages that were added up.
    int pages = 0;
    qint64 lastPage = -1; // the highest page number among the thread's links
};

// The watched posts, in the order they were added. Column 0 is the address,
// column 1 the recorded size: the two lists shown for them always run in step.
class WatchedPostsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { AddressColumn = 0, SizeColumn = 1 };

    explicit WatchedPostsModel(QObject *parent = nullptr);

    // Written to sizes.txt for a post without a recorded size, so the two
    // files stay in step; it is not a number, so it never passes for one.
    static QString noSizeText() { return QStringLiteral("none"); }
    static std::optional<qint64> sizeValue(const QString &text);
    // The sizes.txt record of a post and back.
    static QString sizeRecord(const WatchedPost &post);
    static void readSizeRecord(const QString &record, WatchedPost &post);

    // posts.txt and sizes.txt lines, paired by row. An address the files
    // hold more than once is one post.
    void load(const QStringList &postLines, const QStringList &sizeLines);
    // The copies of addresses the last load left out: the files want writing again.
    int droppedCopies() const { return m_droppedCopies; }
    QString postsFileText() const;
    QString sizesFileText() const;

    int count() const { return static_cast<int>(m_posts.size()); }
    const WatchedPost &at(int row) const { return m_posts.at(row); }
    const QList<WatchedPost> &all() const { return m_posts; }
    int rowOf(quint64 id) const;

    // Exact, case-sensitive comparison of whole addresses.
    bool isWatched(const QString &url) const;
    int watchIndex(const QString &url) const;

    // size: a sizes.txt record.
    quint64 add(const QString &url, const QString &size = QString());
    // The row of the post with that address, added without a size when it
    // is not watched yet.
    int rowFor(const QString &url);
    void removeAt(int row);
    // False when the post is gone. setSize records the watched page alone;
    // setThreadSize the sum of a thread's pages.
    bool setSize(quint64 id, qint64 size);
    bool setThreadSize(quint64 id, qint64 bytes, int pages, qint64 lastPage);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<WatchedPost> m_posts;
    quint64 m_nextId = 1;
    int m_droppedCopies = 0;
};
