#include "watch/reply_check.h"

#include "net/page_fetch.h"
#include "watch/watched_posts_model.h"

ReplyCheckRun::ReplyCheckRun(WatchedPostsModel &posts, PageFetch &fetch, QObject *parent)
    : QObject(parent)
    , m_posts(posts)
    , m_measure(fetch)
{
    connect(&m_measure, &ThreadMeasurement::finished, this, &ReplyCheckRun::onMeasured);
    connect(&m_measure, &ThreadMeasurement::failed, this, &ReplyCheckRun::onFailed);
    connect(&m_measure, &ThreadMeasurement::pageStarted, this, [this](int page, int pagesKnown) {
        emit status(QStringLiteral("checking post %1 (page %2 of %3)").arg(m_checkIndex + 1).arg(page).arg(pagesKnown));
    });
}

bool ReplyCheckRun::hasNewReplies(qint64 bodyBytes, qint64 recordedSize)
{
    return static_cast<double>(bodyBytes) - static_cast<double>(recordedSize) > kGrowthThreshold;
}

bool ReplyCheckRun::hasNewReplies(const WatchedPost &recorded, const ThreadSize &now)
{
    const auto size = WatchedPostsModel::sizeValue(recorded.size);
    if (!size)
        return false;
    // A plain number is the watched page alone: only that page compares with it.
    if (recorded.pages <= 0)
        return hasNewReplies(now.firstPageBytes, *size);
    if (hasNewReplies(now.bytes, *size))
        return true;
    // With more pages than are measured, a new last page can take the place
    // of a full one in the sum; its number still shows it.
    return now.capped && recorded.lastPage >= 0 && now.lastPage > recorded.lastPage;
}

void ReplyCheckRun::start()
{
    m_measure.abandon();
    m_newReplies.setStringList({});
    m_failures.clear();
    emit failuresChanged();
    m_checkedPosts.clear();
    m_checked.clear();
    m_lastRow = -1;
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
        const WatchedPost *next = nextUnchecked();
        if (!next) {
            m_running = false;
            QString text = QStringLiteral("finished - %1 new replies found").arg(newReplyCount());
            if (!m_failures.isEmpty())
                text += QStringLiteral(", %1 could not be checked").arg(m_failures.size());
            emit status(text);
            emit finished(newReplyCount());
            return;
        }
        m_current = next->id;
        m_currentAddress = next->url;
        m_checked.insert(m_current);
        m_starting = true;
        m_failedWhileStarting = false;
        m_measure.start(m_currentAddress);
        m_starting = false;
        if (!m_failedWhileStarting)
            return;
    }
}

const WatchedPost *ReplyCheckRun::nextUnchecked()
{
    // The next post in list order that this run has not checked yet. Posts
    // are only ever added at the end, so the search starts after the post
    // checked last (where it still stands), and from the top only when that
    // finds none: a run over n posts costs n steps, not n squared.
    const QList<WatchedPost> &all = m_posts.all();
    auto from = [&](qsizetype row) -> const WatchedPost * {
        for (; row < all.size(); ++row)
            if (!m_checked.contains(all[row].id)) {
                m_lastRow = row;
                return &all[row];
            }
        return nullptr;
    };
    const bool inPlace = m_lastRow >= 0 && m_lastRow < all.size() && all[m_lastRow].id == m_current;
    const WatchedPost *next = inPlace ? from(m_lastRow + 1) : nullptr;
    return next ? next : from(0);
}

void ReplyCheckRun::onMeasured(const ThreadSize &size)
{
    if (!m_running)
        return;
    const int row = m_posts.rowOf(m_current);
    if (row >= 0) {
        const WatchedPost post = m_posts.at(row);
        const bool found = hasNewReplies(post, size);
        if (found) {
            const int at = m_newReplies.rowCount();
            m_newReplies.insertRows(at, 1);
            m_newReplies.setData(m_newReplies.index(at), post.url);
        } else if (!WatchedPostsModel::sizeValue(post.size) || post.pages <= 0) {
            // Its first measurement failed, or it holds the watched page alone
            // as an older version recorded it: from now on the whole thread
            // is compared. A post listed keeps its size until watched again.
            m_posts.setThreadSize(m_current, size.bytes, size.pages, size.lastPage);
            emit sizeRecorded();
        }
        m_checkedPosts.append({ post.url, size, found });
        emit postChecked(m_checkedPosts.last());
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
