#include "watch/watch_store.h"

#include <QFileInfo>

const QString WatchStore::kPostsFile = QStringLiteral("posts.txt");
const QString WatchStore::kSizesFile = QStringLiteral("sizes.txt");
const QString WatchStore::kForumsFile = QStringLiteral("posts2.txt");

WatchStore::WatchStore(DataFolder folder)
    : m_folder(std::move(folder))
{
}

FileProblem WatchStore::problemFor(const QString &name, const QString &error, int number) const
{
    return { name, m_folder.filePath(name), error, number };
}

QStringList WatchStore::readList(const QString &name, QList<FileProblem> &problems)
{
    // A file that is not there yet is an empty list.
    if (!QFileInfo::exists(m_folder.filePath(name)))
        return QStringList();
    // No value in these files holds a line break: a Linux editor's LF ends a line too.
    LineFile f = m_folder.readListLines(name);
    if (!f.ok) {
        m_unreadable.insert(name);
        problems.append(problemFor(name, f.error));
    }
    return f.lines;
}

QList<FileProblem> WatchStore::load()
{
    QList<FileProblem> problems;
    m_unreadable.clear();
    const QStringList posts = readList(kPostsFile, problems);
    const QStringList forums = readList(kForumsFile, problems);
    const QStringList sizes = readList(kSizesFile, problems);
    m_posts.load(posts, sizes);
    m_forums.load(forums);
    return problems;
}

QList<FileProblem> WatchStore::loadPosts()
{
    QList<FileProblem> problems;
    m_unreadable.clear();
    const QStringList posts = readList(kPostsFile, problems);
    const QStringList sizes = readList(kSizesFile, problems);
    m_posts.load(posts, sizes);
    return problems;
}

QList<FileProblem> WatchStore::savePosts() const
{
    QList<FileProblem> problems;
    if (wasUnreadable(kPostsFile) || wasUnreadable(kSizesFile))
        return problems;
    for (const auto &[name, text] :
        { std::pair { kPostsFile, m_posts.postsFileText() }, std::pair { kSizesFile, m_posts.sizesFileText() } }) {
        QString error;
        int number = 0;
        if (!m_folder.writeText(name, text, &error, &number))
            problems.append(problemFor(name, error, number));
    }
    return problems;
}

bool WatchStore::saveForums(FileProblem *problem) const
{
    if (wasUnreadable(kForumsFile)) {
        // Writing now would replace logins that are still in the file.
        *problem = problemFor(kForumsFile,
            QStringLiteral("%1 could not be read at start-up, so it is left as it is.")
                .arg(m_folder.filePath(kForumsFile)),
            1);
        return false;
    }
    QString error;
    int number = 0;
    if (m_folder.writeText(kForumsFile, m_forums.fileText(), &error, &number))
        return true;
    *problem = problemFor(kForumsFile, error, number);
    return false;
}
