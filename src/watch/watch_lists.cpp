#include "watch/watch_lists.h"

QStringList listRecords(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        if (!line.isEmpty() && line != QLatin1String(" "))
            out.append(line);
    return out;
}

QString listFileText(const QStringList &records)
{
    QString text;
    for (const QString &r : records) {
        text += r;
        text += QLatin1String("\r\n\r\n");
    }
    return text;
}

std::optional<qint64> WatchedPosts::sizeValue(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

void WatchedPosts::load(const QStringList &postLines, const QStringList &sizeLines)
{
    m_posts.clear();
    const QStringList posts = listRecords(postLines);
    const QStringList sizes = listRecords(sizeLines);
    for (int i = 0; i < posts.size(); ++i)
        add(posts[i], i < sizes.size() ? sizes[i] : QString());
}

QString WatchedPosts::postsFileText() const
{
    QStringList records;
    for (const WatchedPost &p : m_posts)
        records.append(p.url);
    return listFileText(records);
}

QString WatchedPosts::sizesFileText() const
{
    QStringList records;
    for (const WatchedPost &p : m_posts)
        records.append(sizeValue(p.size) ? p.size : noSizeText());
    return listFileText(records);
}

int WatchedPosts::rowOf(quint64 id) const
{
    for (int i = 0; i < m_posts.size(); ++i)
        if (m_posts[i].id == id)
            return i;
    return -1;
}

bool WatchedPosts::isWatched(const QString &url) const
{
    return watchIndex(url) >= 0;
}

int WatchedPosts::watchIndex(const QString &url) const
{
    for (int i = 0; i < m_posts.size(); ++i)
        if (m_posts[i].url == url)
            return i;
    return -1;
}

quint64 WatchedPosts::add(const QString &url, const QString &size)
{
    WatchedPost p;
    p.id = m_nextId++;
    p.url = url;
    p.size = size;
    m_posts.append(p);
    return p.id;
}

void WatchedPosts::removeAt(int row)
{
    if (row >= 0 && row < m_posts.size())
        m_posts.removeAt(row);
}

bool WatchedPosts::setSize(quint64 id, qint64 size)
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    m_posts[row].size = QString::number(size);
    return true;
}

void ForumList::load(const QStringList &lines)
{
    m_forums.clear();
    for (const QString &line : listRecords(lines)) {
        const qsizetype first = line.indexOf(QLatin1Char('|'));
        if (first < 0) {
            add(line, QString());
            continue;
        }
        const qsizetype second = line.indexOf(QLatin1Char('|'), first + 1);
        if (second < 0) {
            // Address and user name only: no login row.
            add(line.left(first), QString());
            continue;
        }
        add(line.left(first), line.mid(first + 1));
    }
}

QString ForumList::fileText() const
{
    QStringList records;
    for (const Forum &f : m_forums)
        records.append(f.url + QLatin1Char('|') + f.login);
    return listFileText(records);
}

QString ForumList::userName(const QString &login)
{
    const qsizetype bar = login.indexOf(QLatin1Char('|'));
    return bar < 0 ? login : login.left(bar);
}

QString ForumList::password(const QString &login)
{
    const qsizetype bar = login.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : login.mid(bar + 1);
}

QString ForumList::joinLogin(const QString &user, const QString &password)
{
    return user + QLatin1Char('|') + password;
}
