#include "logins/forum_store.h"

const QString ForumStore::kForumsFile = QStringLiteral("posts2.txt");

ForumStore::ForumStore(DataFolder folder)
    : m_folder(std::move(folder))
{
}

QList<FileProblem> ForumStore::load()
{
    QList<FileProblem> problems;
    const std::optional<QStringList> lines = readListFile(m_folder, kForumsFile, problems);
    m_unreadable = !lines;
    m_forums.load(lines.value_or(QStringList()));
    return problems;
}

bool ForumStore::saveForums(FileProblem *problem) const
{
    if (m_unreadable) {
        // Writing now would replace logins that are still in the file.
        *problem = fileProblem(m_folder, kForumsFile,
            QStringLiteral("%1 could not be read at start-up, so it is left as it is.")
                .arg(m_folder.filePath(kForumsFile)),
            1);
        return false;
    }
    return writeListFile(m_folder, kForumsFile, m_forums.fileText(), problem);
}
