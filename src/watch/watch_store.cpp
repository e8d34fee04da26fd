#include "watch/watch_store.h"

const QString WatchStore::kPostsFile = QStringLiteral("posts.txt");
const QString WatchStore::kSizesFile = QStringLiteral("sizes.txt");

WatchStore::WatchStore(DataFolder folder)
    : m_folder(std::move(folder))
{
}

QList<FileProblem> WatchStore::load()
{
    QList<FileProblem> problems;
    const std::optional<QStringList> posts = readListFile(m_folder, kPostsFile, problems);
    const std::optional<QStringList> sizes = readListFile(m_folder, kSizesFile, problems);
    m_unreadable = !posts || !sizes;
    m_posts.load(posts.value_or(QStringList()), sizes.value_or(QStringList()));
    return problems;
}

QList<FileProblem> WatchStore::savePosts() const
{
    QList<FileProblem> problems;
    if (m_unreadable)
        return problems;
    for (const auto &[name, text] :
        { std::pair { kPostsFile, m_posts.postsFileText() }, std::pair { kSizesFile, m_posts.sizesFileText() } }) {
        FileProblem problem;
        if (!writeListFile(m_folder, name, text, &problem))
            problems.append(problem);
    }
    return problems;
}
