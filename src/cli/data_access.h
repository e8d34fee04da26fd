#pragma once

#include "platform/data_lock.h"
#include "watch/watch_store.h"

#include <QString>

#include <memory>

// The data folder the window would use (beside the program when it holds the
// data files, else ~/.local/share/Postmaven), or the one --data-dir names.
// A command that writes may make it; one that only reads makes nothing.
// Empty, with the reason on standard error, when there is none to use.
QString chooseFolder(const QString &dataDir, bool mayCreate);

// Reads posts.txt and sizes.txt as they stand together: a rewrite by another
// postmaven-cli is waited for, never read half-way. Takes no lock. False,
// with the reason on standard error, when a file cannot be read.
bool readPosts(WatchStore &store, DataLock &lock);

// Writes posts.txt and sizes.txt; the caller holds the lock. False, with the
// reason on standard error, when they could not be written.
bool writePosts(WatchStore &store);

// Takes the lock for a change. Another postmaven-cli's is waited for, up to
// 30 seconds; a stale one is removed. Anything said goes to standard error.
// Once it is taken, temporary files left by cut-short writes are removed.
DataLock::State takeLock(DataLock &lock);
// The exit status for a lock takeLock could not take, with its reason on
// standard error.
int lockNotTaken(const DataLock &lock, DataLock::State state);

// What the window's presence means for a change that cannot be made now.
QString windowOpenText();

// The data folder the command line names, its lock, and its watched posts
// read. The kept texts of threads wait to be written with the lists, under the lock.
struct WatchedData {
    explicit WatchedData(const QString &folder)
        : lock(folder, DataLock::Holder::CommandLine)
        , store(DataFolder(folder))
    {
        store.texts().setDeferred(true);
    }
    DataLock lock;
    WatchStore store;
};
// Null, with the reason on standard error, when there is no folder or the
// lists cannot be read.
std::unique_ptr<WatchedData> openWatchedData(const QString &dataDir, bool mayCreate);
