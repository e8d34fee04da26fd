#pragma once

#include "platform/data_folder.h"
#include "platform/list_records.h"
#include "threads/page_text.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// What each watched thread said at its last measure, kept so the next check
// compares text with text. One compressed file per post in the data folder's
// "threads" folder, named by a hash of the address, each rewritten whole and
// atomically. A write that fails stays in memory until writePending; a store
// without a folder keeps everything in memory (tests, benchmarks).
class ThreadTextStore {
public:
    static const QString kFolder;

    ThreadTextStore() = default;
    explicit ThreadTextStore(const DataFolder &dataFolder);

    // Writes wait for writePending (postmaven-cli writes under its lock at the end).
    void setDeferred(bool deferred) { m_deferred = deferred; }

    // Nothing when the post has no kept text, or its file cannot be read.
    std::optional<ThreadText> load(const QString &url) const;
    // As load, with the file read once: a kept text whose digest is that of
    // now is not unpacked, and now stands for it.
    std::optional<ThreadText> loadUnlessSame(const QString &url, const ThreadText &now) const;
    static QByteArray digestOf(const ThreadText &text);
    // False when the file could not be written now; the text waits for writePending.
    bool keep(const QString &url, const ThreadText &text);
    void forget(const QString &url);
    // Drops a text that waits, without writing it.
    void discard(const QString &url) { m_pending.remove(url); }

    QStringList pendingUrls() const { return m_pending.keys(); }
    // Writes every text that waits; those that fail go on waiting.
    QList<FileProblem> writePending();
    // Removes the files of posts that are no longer watched; one that stays
    // is tried again next time.
    void removeAllBut(const QStringList &urls);

    // Removes the temporary files that cut-short writes left beside the kept
    // texts of dataFolder, and nothing else; only while holding its lock.
    static QStringList removeStaleTemporaries(const DataFolder &dataFolder);

    static QString fileNameFor(const QString &url);
    static QByteArray fileBytes(const QString &url, const ThreadText &text);
    static std::optional<ThreadText> fromFileBytes(const QString &url, const QByteArray &bytes);

private:
    std::optional<QByteArray> fileOf(const QString &url) const;
    bool write(const QString &url, const QByteArray &bytes, FileProblem *problem) const;

    std::optional<DataFolder> m_folder;
    QHash<QString, QByteArray> m_pending; // by address: the file's bytes
    bool m_deferred = false;
};
