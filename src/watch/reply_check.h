#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QStringListModel>

class PageFetch;
class WatchedPostsModel;

// A post that a run could not measure, and why.
struct CheckFailure {
    QString address;
    int number = 0;
    QString description;
};

// A reply check run: fetches every watched post in turn and lists those whose
// page grew by more than 500 bytes. The run walks the posts themselves (by
// id), so watches added or removed while it runs never shift it. A post that
// cannot be fetched is noted and the run goes on with the next one.
class ReplyCheckRun : public QObject {
    Q_OBJECT
public:
    static constexpr double kGrowthThreshold = 500.0;

    ReplyCheckRun(WatchedPostsModel &posts, PageFetch &fetch, QObject *parent = nullptr);

    // Starts anew, also while a run is busy.
    void start();
    bool isRunning() const { return m_running; }
    const QStringList &newReplies() const { return m_found; }
    int newReplyCount() const { return m_found.size(); }
    // The addresses found by the last run, for the new-replies list.
    QStringListModel *newRepliesModel() { return &m_newReplies; }
    // The posts of this run that could not be checked, in list order.
    const QList<CheckFailure> &failures() const { return m_failures; }

    static bool hasNewReplies(qint64 bodyBytes, qint64 recordedSize);

signals:
    void status(const QString &text); // panel 1
    void started();
    void newRepliesChanged();
    // A post that had no recorded size was measured.
    void sizeRecorded();
    // A post was measured: its recorded size (-1 when it had none), the size
    // now, and whether that counts as new replies.
    void postChecked(const QString &address, qint64 recordedSize, qint64 currentSize, bool newReplies);
    // A post could not be checked; the run goes on.
    void checkFailed(const QString &address, int number, const QString &description);
    void failuresChanged();
    void finished(int newReplies);

private:
    void checkNextPost();
    void onFetched(qint64 bodyBytes);
    void onFailed(bool startError, int number, const QString &description);

    WatchedPostsModel &m_posts;
    PageFetch &m_fetch;
    QSet<quint64> m_checked;
    QStringList m_found;
    QStringListModel m_newReplies;
    QList<CheckFailure> m_failures;
    QString m_currentAddress;
    quint64 m_current = 0;
    int m_checkIndex = 0;
    bool m_running = false;
    bool m_starting = false; // inside the fetch's start
    bool m_failedWhileStarting = false;
};
