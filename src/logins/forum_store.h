#pragma once

#include "logins/forums_model.h"
#include "platform/data_folder.h"
#include "platform/list_records.h"

#include <QList>
#include <QString>

// The forums with their logins and their list file, posts2.txt. A file that
// could not be read at start-up is never written over, so the logins it
// still holds are not lost.
class ForumStore {
public:
    static const QString kForumsFile;

    explicit ForumStore(DataFolder folder);

    ForumsModel &forums() { return m_forums; }
    const ForumsModel &forums() const { return m_forums; }

    // Reads posts2.txt; returns the problem when it could not be read. The
    // list then starts empty.
    QList<FileProblem> load();
    bool wasUnreadable() const { return m_unreadable; }

    // Writes posts2.txt; false with the problem when it could not.
    bool saveForums(FileProblem *problem) const;

private:
    DataFolder m_folder;
    ForumsModel m_forums;
    bool m_unreadable = false;
};
