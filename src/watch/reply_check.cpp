#include "watch/reply_check.h"

#include "watch/page_fetch.h"
#include "watch/watched_posts_model.h"

ReplyCheckRun::ReplyCheckRun(WatchedPostsModel &posts, PageFetch &fetch, QObject *parent)
    : QObject(parent)
    , m_posts(posts)
    , m_fetch(fetch)
{
    connect(&m_fetch, &PageFetch::finished, this, &ReplyCheckRun::onFetched);
    connect(&m_fetch, &PageFetch::failed, this, &ReplyCheckRun::onFailed);
}

bool ReplyCheckRun::hasNewReplies(qint64 bodyBytes, qint64 recordedSize)
{
    return static_cast<double>(bodyBytes) - static_cast<double>(recordedSize) > kGrowthThreshold;
}

void ReplyCheckRun::start()
{
    m_fetch.abandon();
    m_found.clear();
    m_newReplies.setStringList(m_found);
    emit newRepliesChanged();
    m_failures.clear();
    emit failuresChanged();
    m_checked.clear();
    m_checkIndex = 0;
    m_running = true;
    emit started();
    checkNextPost();
}

void ReplyCheckRun::checkNextPost()
{
    // A fetch that fails at its start reports before start() returns: loop
    // here rather than recurse, however many posts fail in a row.
    for (;;) {
        emit status(QStringLiteral("checking post %1").arg(m_checkIndex + 1));
        // The next post in list order that this run has not checked yet.
        const WatchedPost *next = nullptr;
        for (const WatchedPost &p : m_posts.all()) {
            if (!m_checked.contains(p.id)) {
                next = &p;
                break;
            }
        }
        if (!next) {
            m_running = false;
            QString text = QStringLiteral("finished - %1 new replies found").arg(m_found.size());
            if (!m_failures.isEmpty())
                text += QStringLiteral(", %1 could not be checked").arg(m_failures.size());
            emit status(text);
            emit finished(m_found.size());
            return;
        }
        m_current = next->id;
        m_currentAddress = next->url;
        m_checked.insert(m_current);
        m_starting = true;
        m_failedWhileStarting = false;
        m_fetch.start(m_currentAddress);
        m_starting = false;
        if (!m_failedWhileStarting)
            return;
    }
}

void ReplyCheckRun::onFetched(qint64 bodyBytes)
{
    if (!m_running)
        return;
    const int row = m_posts.rowOf(m_current);
    if (row >= 0) {
        const WatchedPost &post = m_posts.at(row);
        const auto recorded = WatchedPostsModel::sizeValue(post.size);
        const QString address = post.url;
        const bool grown = recorded && hasNewReplies(bodyBytes, *recorded);
        if (!recorded) {
            // Its first measurement failed: this one becomes its size.
            m_posts.setSize(m_current, bodyBytes);
            emit sizeRecorded();
        } else if (grown) {
            m_found.append(address);
            const int at = m_newReplies.rowCount();
            m_newReplies.insertRows(at, 1);
            m_newReplies.setData(m_newReplies.index(at), address);
            emit newRepliesChanged();
        }
        emit postChecked(address, recorded ? *recorded : -1, bodyBytes, grown);
    }
    ++m_checkIndex;
    checkNextPost();
}

void ReplyCheckRun::onFailed(bool, int number, const QString &description)
{
    if (!m_running)
        return;
    // One dead site must not keep the later posts from being checked.
    m_failures.append({ m_currentAddress, number, description });
    emit checkFailed(m_currentAddress, number, description);
    emit failuresChanged();
    ++m_checkIndex;
    if (m_starting)
        m_failedWhileStarting = true;
    else
        checkNextPost();
}
