#include "watch/watch_store.h"

const QString WatchStore::kPostsFile = QStringLiteral("posts.txt");
const QString WatchStore::kSizesFile = QStringLiteral("sizes.txt");

WatchStore::WatchStore(DataFolder folder)
    : m_folder(std::move(folder))
    , m_texts(m_folder)
{
    QObject::connect(&m_posts, &QAbstractItemModel::rowsAboutToBeRemoved, &m_posts,
        [this](const QModelIndex &, int first, int last) {
            for (int row = first; row <= last; ++row)
                m_texts.forget(m_posts.at(row).url);
        });
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

QList<FileProblem> WatchStore::savePosts()
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
    problems += m_texts.writePending();
    QStringList urls;
    for (const WatchedPost &post : m_posts.all())
        urls.append(post.url);
    m_texts.removeAllBut(urls);
    return problems;
}
