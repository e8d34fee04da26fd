#pragma once

#include "logins/forum_logins.h"
#include "logins/forum_store.h"
#include "support/files.h"
#include "support/recorders.h"

#include <QTemporaryDir>

// A folder that a second run of the program finds as the first left it.
struct ExistingFolder {
    QString path;
};

// posts2.txt in a folder, with the forum list read from it as at start-up.
struct Logins {
    QTemporaryDir dir;
    QString folder;
    ForumStore store;
    RecordingDialogs dialogs;
    ForumLogins logins { store, dialogs };

    // A folder of its own whose posts2.txt holds file.
    explicit Logins(const QByteArray &file)
        : folder(dir.path())
        , store(DataFolder(folder))
    {
        writeBytes(path(), file);
        store.load();
    }
    explicit Logins(const ExistingFolder &existing)
        : folder(existing.path)
        , store(DataFolder(folder))
    {
        store.load();
    }
    QString path() const { return folder + QStringLiteral("/posts2.txt"); }
    QByteArray file() const { return readBytes(path()); }
    // The text of every box shown.
    QString boxes() const
    {
        QStringList texts;
        for (const RecordingDialogs::Box &b : dialogs.boxes)
            texts.append(b.text);
        return texts.join(QStringLiteral("\n--\n"));
    }
};
