#pragma once

#include "platform/data_lock.h"
#include "watch/watch_store.h"

#include <QString>

#include <memory>

class QCommandLineParser;

// The data folder the window would use (beside the program when it holds the
// data files, else ~/.local/share/Postmaven), or the one --data-dir names.
// Empty, with the reason on standard error, when there is none to use.
QString chooseFolder(const QString &dataDir);

// Reads posts.txt and sizes.txt; under the lock when it is free, so that a
// rewrite by another postmaven-cli is never read half-way. False, with the
// reason on standard error, when a file cannot be read.
bool readPosts(WatchStore &store, DataLock &lock);

// Writes posts.txt and sizes.txt; the caller holds the lock. False, with the
// reason on standard error, when they could not be written.
bool writePosts(WatchStore &store);

// What the window's presence means for a change that cannot be made now.
QString windowOpenText();

// The data folder the command line names, its lock, and its watched posts
// read. The kept texts of threads wait to be written with the lists, under the lock.
struct WatchedData {
    explicit WatchedData(const QString &folder)
        : lock(folder)
        , store(DataFolder(folder))
    {
        store.texts().setDeferred(true);
    }
    DataLock lock;
    WatchStore store;
};
// Null, with the reason on standard error, when there is no folder or the
// lists cannot be read.
std::unique_ptr<WatchedData> openWatchedData(const QCommandLineParser &parser);
