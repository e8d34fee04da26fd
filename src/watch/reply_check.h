#pragma once

#include "threads/thread_measurement.h"
#include "watch/new_replies_model.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

class PageFetch;
class ThreadTextStore;
class WatchedPostsModel;
struct WatchedPost;

// A post that a run could not measure, and why.
struct CheckFailure {
    QString address;
    int number = 0;
    QString description;
};

// A post that a run measured.
struct CheckedPost {
    QString address;
    ThreadSize size; // size.pages: how many pages of its thread were measured; without their text
    bool newReplies = false;
    QString added; // the text added, when newReplies
};

// A reply check run: measures every watched post in turn, over all the pages
// of its thread, and lists those whose thread shows new replies (see
// ReplyJudge). After a check without news the post keeps what its thread
// says now, so noise never adds up; a post listed keeps what it had until it
// is watched again, and stays listed. The run walks the posts themselves (by
// id), so watches added or removed while it runs never shift it. A post that
// cannot be measured is noted and the run goes on with the next one.
class ReplyCheckRun : public QObject {
    Q_OBJECT
public:
    ReplyCheckRun(WatchedPostsModel &posts, ThreadTextStore &texts, PageFetch &fetch, QObject *parent = nullptr);

    // Starts anew, also while a run is busy.
    void start();
    bool isRunning() const { return m_running; }
    QStringList newReplies() const { return m_newReplies.addresses(); }
    const QList<NewReply> &newReplyTexts() const { return m_newReplies.all(); }
    int newReplyCount() const { return m_newReplies.rowCount(); }
    // The posts found by the last run, for the new-replies list.
    NewRepliesModel *newRepliesModel() { return &m_newReplies; }
    // The posts of this run that could not be checked, in list order.
    const QList<CheckFailure> &failures() const { return m_failures; }

    // The posts of this run that were measured, in list order.
    const QList<CheckedPost> &checkedPosts() const { return m_checkedPosts; }

signals:
    void status(const QString &text); // panel 1
    void started();
    // A post's measure was recorded: its first, or one without news.
    void sizeRecorded();
    // A post was measured: its size now (over all its pages) and whether
    // that counts as new replies.
    void postChecked(const CheckedPost &post);
    // A post could not be checked; the run goes on.
    void checkFailed(const QString &address, int number, const QString &description);
    void failuresChanged();
    void finished(int newReplies);

private:
    void checkNextPost();
    const WatchedPost *nextUnchecked();
    void onMeasured(const ThreadSize &size);
    void onFailed(bool startError, int number, const QString &description);

    WatchedPostsModel &m_posts;
    ThreadTextStore &m_texts;
    ThreadMeasurement m_measure;
    QSet<quint64> m_checked;
    NewRepliesModel m_newReplies;
    QList<CheckFailure> m_failures;
    QList<CheckedPost> m_checkedPosts;
    QString m_currentAddress;
    quint64 m_current = 0;
    int m_checkIndex = 0;
    qsizetype m_lastRow = -1; // where the post checked last stood
    bool m_running = false;
    bool m_starting = false; // inside the fetch's start
    bool m_failedWhileStarting = false;
};
