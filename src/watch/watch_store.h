#pragma once

#include "platform/data_folder.h"
#include "watch/forums_model.h"
#include "watch/watched_posts_model.h"

#include <QList>
#include <QSet>
#include <QString>

// A data file that could not be read or written, and why.
struct FileProblem {
    QString name; // "posts.txt"
    QString path;
    QString error;
    int number = 0;
};

// The watched posts and the forums with their three list files: posts.txt
// and sizes.txt (paired by row) and posts2.txt. A file that could not be read
// at start-up is never written over, so what it still holds is not lost.
class WatchStore {
public:
    static const QString kPostsFile;
    static const QString kSizesFile;
    static const QString kForumsFile;

    explicit WatchStore(DataFolder folder);

    WatchedPostsModel &posts() { return m_posts; }
    const WatchedPostsModel &posts() const { return m_posts; }
    ForumsModel &forums() { return m_forums; }
    const ForumsModel &forums() const { return m_forums; }

    // Reads posts.txt, posts2.txt and sizes.txt; returns those that could not
    // be read. Their lists start empty.
    QList<FileProblem> load();
    // posts.txt and sizes.txt alone, for what needs no forums.
    QList<FileProblem> loadPosts();
    bool wasUnreadable(const QString &name) const { return m_unreadable.contains(name); }

    // Writes posts.txt, then sizes.txt. Both are left as they are when
    // either could not be read at start-up, since they run in step.
    QList<FileProblem> savePosts() const;
    // Writes posts2.txt; false with the problem when it could not.
    bool saveForums(FileProblem *problem) const;

private:
    QStringList readList(const QString &name, QList<FileProblem> &problems);
    FileProblem problemFor(const QString &name, const QString &error, int number = 0) const;

    DataFolder m_folder;
    WatchedPostsModel m_posts;
    ForumsModel m_forums;
    QSet<QString> m_unreadable;
};
