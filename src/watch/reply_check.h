#pragma once

#include "net/connection_pool.h"
#include "net/page_fetch.h"
#include "threads/thread_measurement.h"
#include "watch/new_replies_model.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class SettingsStore;
class ThreadTextStore;
class WatchedPostsModel;

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

// How many pages a run fetches at once: in all, and from one host.
struct CheckLimits {
    int connections = ConnectionPool::kDefaultMaxConnections;
    int perHost = ConnectionPool::kDefaultMaxPerHost;

    static constexpr int kMost = 64;
    // "maxConnections" and "maxConnectionsPerHost" in section "Settings"; a
    // value that is no whole number from 1 to kMost leaves the default.
    static CheckLimits fromSettings(const SettingsStore &settings);
    static std::optional<int> parse(const QString &text);
};

// A reply check run: measures every watched post, over all the pages of its
// thread, and lists those whose thread shows new replies (see ReplyJudge).
// After a check without news the post keeps what its thread says now, so
// noise never adds up; a post listed keeps what it had until it is watched
// again, and stays listed. A post that cannot be measured is noted and the
// run goes on.
//
// Several threads are measured at once over one pool of kept connections,
// within the limits in all and to one host; once no thread waits to start,
// the pages of those running are fetched side by side too. Whatever order
// the answers come in, each post is judged against its own kept text and
// its outcome is told in list order, as a run of one post at a time tells
// it. The run follows the posts themselves (by id), so watches added or
// removed while it runs never shift it.
class ReplyCheckRun : public QObject {
    Q_OBJECT
public:
    // fetch: the channel whose port, limits and trust the run's fetches take.
    ReplyCheckRun(WatchedPostsModel &posts, ThreadTextStore &texts, PageFetch &fetch, QObject *parent = nullptr);
    ~ReplyCheckRun() override;

    // From the next start on.
    void setLimits(const CheckLimits &limits);
    const CheckLimits &limits() const { return m_limits; }
    // The run's connections, kept between runs: other channels that share
    // them keep within the same limits to each host.
    ConnectionPool *connectionPool() { return &m_pool; }

    // Starts anew, also while a run is busy: every fetch of that run ends at once.
    void start();
    // Ends the run and every fetch of it at once, telling nothing more.
    void abandon();
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
    void started();
    // Posts done of those the run has to check.
    void progress(int done, int total);
    // A post's measure was recorded: its first, or one without news.
    void sizeRecorded();
    // A post was measured: its size now (over all its pages) and whether
    // that counts as new replies. In list order.
    void postChecked(const CheckedPost &post);
    // A post could not be checked; the run goes on. In list order.
    void checkFailed(const QString &address, int number, const QString &description);
    void failuresChanged();
    void finished(int newReplies, int notChecked);
    // What the run's fetches do.
    void fetchStep(PageFetch::Step step);
    void fetchProgress(qint64 bodyBytes, qint64 contentLength);

private:
    // A watched post in the run, in list order.
    struct Entry {
        enum class State { Waiting, Measuring, Done };
        quint64 id = 0;
        QString url;
        QString host;
        State state = State::Waiting;
        // Its outcome, kept until every post before it is told.
        std::optional<CheckedPost> checked;
        std::optional<NewReply> news;
        std::optional<CheckFailure> failure;
    };
    // The posts of one host waiting to start, and those being measured.
    struct Host {
        QList<qsizetype> waiting; // entries, in list order
        qsizetype next = 0; // the first in waiting not yet started
        int measuring = 0;
    };
    struct Worker {
        PageFetch *fetch = nullptr;
        ThreadMeasurement *measure = nullptr;
        qsizetype entry = -1; // none while free
        int parallelPages = 1;
    };

    void stopWorkers();
    void takeNewPosts();
    void fill();
    Worker *freeWorker();
    qsizetype pickNext();
    void startEntry(Worker &worker, qsizetype entry);
    void widenIfNothingWaits();
    void onMeasured(Worker &worker, const ThreadSize &size);
    void onFailed(Worker &worker, int number, const QString &description);
    Entry &endEntry(Worker &worker);
    void markDone(Entry &entry);
    void goOn(bool recorded);
    void tell();
    void finishIfDone();

    WatchedPostsModel &m_posts;
    ThreadTextStore &m_texts;
    PageFetch &m_model;
    ConnectionPool m_pool;
    CheckLimits m_limits;
    std::vector<std::unique_ptr<Worker>> m_workers;
    QList<Entry> m_entries;
    QHash<QString, Host> m_hosts;
    QStringList m_hostOrder; // hosts by their first post
    NewRepliesModel m_newReplies;
    QList<CheckFailure> m_failures;
    QList<CheckedPost> m_checkedPosts;
    quint64 m_lastId = 0; // the newest post taken into the run
    qsizetype m_told = 0; // entries whose outcome was told
    int m_done = 0;
    int m_waiting = 0;
    quint64 m_generation = 0; // counts starts: a restart inside a signal ends the older run's work
    bool m_running = false;
    bool m_filling = false;
    bool m_refill = false;
};
