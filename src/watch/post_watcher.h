#pragma once

#include "threads/thread_measurement.h"

#include <QList>
#include <QObject>
#include <QString>

class DialogService;
class PageFetch;
class ThreadTextStore;
class WatchedPostsModel;

// Watch This Post: adds an address to the watched posts (once) and records
// the size and the text of its thread, all its pages, with the size channel.
// Posts asked for while the channel is busy wait their turn, so no
// measurement is lost.
class PostWatcher : public QObject {
    Q_OBJECT
public:
    PostWatcher(WatchedPostsModel &posts, ThreadTextStore &texts, PageFetch &channel, DialogService &dialogs,
        QObject *parent = nullptr);

    // The text of the "Error" box for a failed fetch.
    static QString fetchErrorText(bool startError, int number, const QString &description);

    // The measurement in progress and those waiting, by post id.
    bool isMeasuring() const { return m_target != 0; }
    int waiting() const { return static_cast<int>(m_queue.size()); }

public slots:
    // An address that cannot be kept in the lists is refused, and panel 1 says why.
    void watch(const QString &url);

signals:
    // A post's thread was measured to its end (and recorded, unless it is gone).
    void measureCompleted();
    // The address cannot be watched, and why.
    void addressRefused(const QString &why);

private:
    void measure(quint64 postId);
    void measureNext();
    void onMeasured(const ThreadSize &size);
    void onFailed(bool startError, int number, const QString &description);

    WatchedPostsModel &m_posts;
    ThreadTextStore &m_texts;
    ThreadMeasurement m_measure;
    DialogService &m_dialogs;
    QList<quint64> m_queue;
    quint64 m_target = 0;
};
