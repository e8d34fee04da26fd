#include "watch/watch_store.h"

#include "platform/data_location.h"
#include "platform/data_lock.h"

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
    if (m_unreadable)
        return {};
    QList<FileProblem> problems;
    // Together or not at all: the two files pair their records by row.
    WriteFailure failure;
    if (!m_folder.writeFiles(
            { { kPostsFile, m_posts.postsFileText().toUtf8() }, { kSizesFile, m_posts.sizesFileText().toUtf8() } },
            &failure))
        problems.append(fileProblem(m_folder, failure.name, failure.error, failure.number));
    problems += m_texts.writePending();
    QStringList urls;
    for (const WatchedPost &post : m_posts.all())
        urls.append(post.url);
    m_texts.removeAllBut(urls);
    return problems;
}

void WatchStore::removeStaleTemporaries(const DataFolder &folder)
{
    folder.removeStaleTemporaries(dataFileNames() << DataLock::fileName());
    ThreadTextStore::removeStaleTemporaries(folder);
}
