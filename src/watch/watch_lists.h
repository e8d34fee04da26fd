#pragma once

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
    QString size; // decimal digits; anything else means "no recorded size"
};

class WatchedPosts {
public:
    // Written to sizes.txt for a post without a recorded size, so the two
    // files stay in step; it is not a number, so it never passes for one.
    static QString noSizeText() { return QStringLiteral("none"); }

    static std::optional<qint64> sizeValue(const QString &text);

    // posts.txt and sizes.txt lines, paired by row.
    void load(const QStringList &postLines, const QStringList &sizeLines);
    QString postsFileText() const;
    QString sizesFileText() const;

    int count() const { return m_posts.size(); }
    const WatchedPost &at(int row) const { return m_posts.at(row); }
    const QList<WatchedPost> &all() const { return m_posts; }
    int rowOf(quint64 id) const;

    // Exact, case-sensitive comparison of whole addresses.
    bool isWatched(const QString &url) const;
    int watchIndex(const QString &url) const;

    quint64 add(const QString &url, const QString &size = QString());
    void removeAt(int row);
    // False when the post is gone.
    bool setSize(quint64 id, qint64 size);
    void clear() { m_posts.clear(); }

private:
    QList<WatchedPost> m_posts;
    quint64 m_nextId = 1;
};

// A forum with its login: user name and password.
struct Forum {
    QString url;
    QString login; // user name, "|", password; empty when the file gave none
};

class ForumList {
public:
    void load(const QStringList &lines);
    QString fileText() const;

    int count() const { return m_forums.size(); }
    const Forum &at(int row) const { return m_forums.at(row); }
    Forum &at(int row) { return m_forums[row]; }
    void add(const QString &url, const QString &login) { m_forums.append({ url, login }); }
    void removeAt(int row) { m_forums.removeAt(row); }
    void clear() { m_forums.clear(); }

    // Splits a login row at its first "|": the password may hold "|" itself.
    static QString userName(const QString &login);
    static QString password(const QString &login);
    static QString joinLogin(const QString &user, const QString &password);

private:
    QList<Forum> m_forums;
};

// Reads the list files: lines that are empty or one space are skipped.
QStringList listRecords(const QStringList &lines);
// Each record followed by CR LF CR LF, so an empty line follows every record.
QString listFileText(const QStringList &records);
