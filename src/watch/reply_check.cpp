#include "watch/reply_check.h"

#include "platform/settings_store.h"
#include "watch/reply_judge.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

#include <utility>

namespace {
const QString kSettings = QStringLiteral("Settings");
// A kept connection spares the posts it carries a round trip each: a host
// with one counts as if this many more of its posts waited.
constexpr qsizetype kKeptConnectionWorth = 4;
} // namespace

std::optional<int> CheckLimits::parse(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > kMost)
        return std::nullopt;
    return value;
}

CheckLimits CheckLimits::fromSettings(const SettingsStore &settings)
{
    CheckLimits limits;
    limits.connections
        = parse(settings.read(kSettings, QStringLiteral("maxConnections"), QString())).value_or(limits.connections);
    limits.perHost
        = parse(settings.read(kSettings, QStringLiteral("maxConnectionsPerHost"), QString())).value_or(limits.perHost);
    return limits;
}

ReplyCheckRun::ReplyCheckRun(WatchedPostsModel &posts, ThreadTextStore &texts, PageFetch &fetch, QObject *parent)
    : QObject(parent)
    , m_posts(posts)
    , m_texts(texts)
    , m_model(fetch)
{
    setLimits(m_limits);
}

ReplyCheckRun::~ReplyCheckRun()
{
    stopWorkers();
}

void ReplyCheckRun::setLimits(const CheckLimits &limits)
{
    m_limits = limits;
    m_pool.setMaxConnections(limits.connections);
    m_pool.setMaxPerHost(limits.perHost);
}

void ReplyCheckRun::stopWorkers()
{
    for (const auto &worker : m_workers) {
        worker->entry = -1;
        worker->measure->abandon();
    }
}

void ReplyCheckRun::abandon()
{
    ++m_generation;
    m_running = false;
    stopWorkers();
}

void ReplyCheckRun::start()
{
    ++m_generation;
    stopWorkers();
    m_newReplies.clear();
    m_failures.clear();
    emit failuresChanged();
    m_checkedPosts.clear();
    m_entries.clear();
    m_hosts.clear();
    m_hostOrder.clear();
    m_lastId = 0;
    m_told = 0;
    m_done = 0;
    m_waiting = 0;
    m_running = true;
    // Started from a signal of the run it replaces: that run's loop ends on its own.
    m_filling = false;
    takeNewPosts();
    emit started();
    emit progress(0, static_cast<int>(m_entries.size()));
    fill();
}

void ReplyCheckRun::takeNewPosts()
{
    // Posts are only ever added at the end, with ids that grow.
    const QList<WatchedPost> &all = m_posts.all();
    qsizetype from = all.size();
    while (from > 0 && all[from - 1].id > m_lastId)
        --from;
    for (qsizetype row = from; row < all.size(); ++row) {
        Entry entry;
        entry.id = all[row].id;
        entry.url = all[row].url;
        entry.host = parseFetchAddress(entry.url, m_model.defaultPort()).hostName.toLower();
        Host &host = m_hosts[entry.host];
        if (host.waiting.isEmpty())
            m_hostOrder.append(entry.host);
        host.waiting.append(m_entries.size());
        m_entries.append(std::move(entry));
        ++m_waiting;
        m_lastId = all[row].id;
    }
}

void ReplyCheckRun::fill()
{
    // A post that fails at its start reports inside the loop: loop here
    // rather than recurse, however many fail in a row.
    if (m_filling) {
        m_refill = true;
        return;
    }
    const quint64 generation = m_generation;
    m_filling = true;
    do {
        m_refill = false;
        takeNewPosts();
        while (generation == m_generation) {
            Worker *worker = freeWorker();
            const qsizetype next = worker ? pickNext() : -1;
            if (next < 0)
                break;
            startEntry(*worker, next);
        }
        if (generation == m_generation)
            widenIfNothingWaits();
        if (generation == m_generation)
            tell();
    } while (m_refill && generation == m_generation);
    m_filling = false;
    if (generation == m_generation)
        finishIfDone();
}

ReplyCheckRun::Worker *ReplyCheckRun::freeWorker()
{
    for (qsizetype i = 0; i < static_cast<qsizetype>(m_workers.size()) && i < m_limits.connections; ++i)
        if (m_workers[i]->entry < 0)
            return m_workers[i].get();
    if (static_cast<int>(m_workers.size()) >= m_limits.connections)
        return nullptr;
    auto owned = std::make_unique<Worker>();
    Worker *worker = owned.get();
    worker->fetch = new PageFetch(this);
    worker->measure = new ThreadMeasurement(*worker->fetch, this);
    connect(worker->measure, &ThreadMeasurement::finished, this,
        [this, worker](const ThreadSize &size) { onMeasured(*worker, size); });
    connect(worker->measure, &ThreadMeasurement::failed, this,
        [this, worker](bool, int number, const QString &description) { onFailed(*worker, number, description); });
    connect(worker->measure, &ThreadMeasurement::fetchStep, this, &ReplyCheckRun::fetchStep);
    connect(worker->measure, &ThreadMeasurement::fetchProgress, this, &ReplyCheckRun::fetchProgress);
    m_workers.push_back(std::move(owned));
    return worker;
}

qsizetype ReplyCheckRun::pickNext()
{
    // The host with the most posts waiting goes first, so that no host is
    // left with a long queue at the end; a host with a connection kept open
    // is worth a few posts more. Among equals, the one with a connection,
    // then the one whose post comes first in the list.
    QString best;
    qsizetype bestScore = 0;
    bool bestWarm = false;
    qsizetype bestFirst = 0;
    for (qsizetype i = 0; i < m_hostOrder.size();) {
        const QString name = m_hostOrder[i];
        const Host &host = m_hosts[name];
        const qsizetype waiting = host.waiting.size() - host.next;
        if (waiting == 0 && host.measuring == 0) {
            m_hosts.remove(name);
            m_hostOrder.removeAt(i);
            continue;
        }
        ++i;
        if (waiting == 0 || host.measuring >= m_limits.perHost)
            continue;
        const bool warm = m_pool.hasIdle(name);
        const qsizetype score = waiting + (warm ? kKeptConnectionWorth : 0);
        const qsizetype first = host.waiting[host.next];
        if (best.isNull() || score > bestScore
            || (score == bestScore && (warm != bestWarm ? warm : first < bestFirst))) {
            best = name;
            bestScore = score;
            bestWarm = warm;
            bestFirst = first;
        }
    }
    if (best.isNull())
        return -1;
    Host &host = m_hosts[best];
    --m_waiting;
    return host.waiting[host.next++];
}

void ReplyCheckRun::startEntry(Worker &worker, qsizetype index)
{
    Entry &entry = m_entries[index];
    if (m_posts.rowOf(entry.id) < 0) {
        // Removed before its turn: nothing to tell.
        markDone(entry);
        emit progress(m_done, static_cast<int>(m_entries.size()));
        return;
    }
    entry.state = Entry::State::Measuring;
    ++m_hosts[entry.host].measuring;
    worker.entry = index;
    worker.parallelPages = m_waiting == 0 ? m_limits.perHost : 1;
    worker.fetch->takeSettingsOf(m_model);
    worker.fetch->setConnectionPool(&m_pool);
    worker.measure->setParallelPages(worker.parallelPages);
    worker.measure->start(entry.url);
}

void ReplyCheckRun::widenIfNothingWaits()
{
    // The last threads may fetch their pages side by side: nothing else would use the room.
    if (m_waiting > 0)
        return;
    const quint64 generation = m_generation;
    for (const auto &worker : m_workers) {
        if (worker->entry < 0 || worker->parallelPages == m_limits.perHost)
            continue;
        worker->parallelPages = m_limits.perHost;
        worker->measure->setParallelPages(worker->parallelPages);
        if (generation != m_generation)
            return;
    }
}

ReplyCheckRun::Entry &ReplyCheckRun::endEntry(Worker &worker)
{
    Entry &entry = m_entries[worker.entry];
    worker.entry = -1;
    --m_hosts[entry.host].measuring;
    return entry;
}

void ReplyCheckRun::markDone(Entry &entry)
{
    entry.state = Entry::State::Done;
    ++m_done;
}

void ReplyCheckRun::goOn(bool recorded)
{
    // A receiver may start the run anew: what this run would do next is then left.
    const quint64 generation = m_generation;
    if (recorded)
        emit sizeRecorded();
    if (generation == m_generation)
        emit progress(m_done, static_cast<int>(m_entries.size()));
    if (generation == m_generation)
        fill();
}

void ReplyCheckRun::onMeasured(Worker &worker, const ThreadSize &size)
{
    if (!m_running || worker.entry < 0)
        return;
    Entry &entry = endEntry(worker);
    // Judged as the post is now, by its own id: a post removed meanwhile just drops its result.
    const int row = m_posts.rowOf(entry.id);
    bool recorded = false;
    if (row >= 0) {
        const WatchedPost post = m_posts.at(row);
        // A thread that says what it said is not unpacked to be compared.
        const std::optional<ThreadText> kept = m_texts.loadUnlessSame(post.url, size.text);
        const ReplyVerdict verdict = ReplyJudge::judge(post, kept, size);
        if (verdict.news) {
            entry.news = NewReply { post.url, verdict.added, verdict.gist };
        } else if (!post.size || (kept ? !verdict.errorPage : size.firstPageOk)) {
            // Its first measurement, or one without news: what the thread
            // says now is what the next check compares with, also when it
            // shrank, so that no later reply hides behind what it lost. An
            // error page in the thread's place is never kept as the thread.
            m_posts.setThreadSize(post.id, size.bytes, size.pages, size.lastPage);
            if (kept != size.text)
                m_texts.keep(post.url, size.text);
            recorded = true;
        }
        // The run keeps what it measured, not every page's text.
        ThreadSize measured = size;
        measured.text.clear();
        entry.checked = CheckedPost { post.url, measured, verdict.news, verdict.added };
    }
    markDone(entry);
    goOn(recorded);
}

void ReplyCheckRun::onFailed(Worker &worker, int number, const QString &description)
{
    if (!m_running || worker.entry < 0)
        return;
    Entry &entry = endEntry(worker);
    // One dead site must not keep the other posts from being checked.
    entry.failure = CheckFailure { entry.url, number, description };
    markDone(entry);
    goOn(false);
}

void ReplyCheckRun::tell()
{
    const quint64 generation = m_generation;
    while (generation == m_generation && m_told < m_entries.size() && m_entries[m_told].state == Entry::State::Done) {
        Entry &entry = m_entries[m_told++];
        // Taken out first: a receiver may start the run anew.
        const std::optional<CheckFailure> failure = std::exchange(entry.failure, std::nullopt);
        const std::optional<CheckedPost> checked = std::exchange(entry.checked, std::nullopt);
        const std::optional<NewReply> news = std::exchange(entry.news, std::nullopt);
        // Measured, then removed before its turn came: it is no longer the user's.
        if (m_posts.rowOf(entry.id) < 0)
            continue;
        if (failure) {
            m_failures.append(*failure);
            emit checkFailed(failure->address, failure->number, failure->description);
            emit failuresChanged();
        } else if (checked) {
            if (news)
                m_newReplies.append(*news);
            m_checkedPosts.append(*checked);
            emit postChecked(*checked);
        }
    }
}

void ReplyCheckRun::finishIfDone()
{
    if (!m_running || m_told < m_entries.size())
        return;
    m_running = false;
    emit finished(newReplyCount(), static_cast<int>(m_failures.size()));
}
