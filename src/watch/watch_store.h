#pragma once

#include "platform/data_folder.h"
#include "platform/list_records.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

#include <QList>
#include <QString>

// The watched posts with their two list files, posts.txt and sizes.txt,
// paired by row, and the kept text of each post's thread. A file that could
// not be read at start-up is never written over, so what it still holds is
// not lost. A post removed takes its kept text with it.
class WatchStore {
public:
    static const QString kPostsFile;
    static const QString kSizesFile;

    explicit WatchStore(DataFolder folder);

    // With the folder's lock just taken: the temporary files that writes cut
    // short left beside the data files, the lock and the kept texts.
    static void removeStaleTemporaries(const DataFolder &folder);

    WatchedPostsModel &posts() { return m_posts; }
    const WatchedPostsModel &posts() const { return m_posts; }
    ThreadTextStore &texts() { return m_texts; }
    const DataFolder &folder() const { return m_folder; }

    // Reads posts.txt and sizes.txt; returns those that could not be read.
    // The list then starts empty.
    QList<FileProblem> load();
    bool wasUnreadable() const { return m_unreadable; }

    // Writes posts.txt and sizes.txt, both or neither, since they run in
    // step; then the kept texts that wait, and removes those of posts no
    // longer watched. All are left as they are when either list could not be
    // read at start-up.
    QList<FileProblem> savePosts();

private:
    DataFolder m_folder;
    WatchedPostsModel m_posts;
    ThreadTextStore m_texts;
    bool m_unreadable = false;
};
