#include "watch/reply_check.h"

#include "net/page_fetch.h"
#include "watch/reply_judge.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

ReplyCheckRun::ReplyCheckRun(WatchedPostsModel &posts, ThreadTextStore &texts, PageFetch &fetch, QObject *parent)
    : QObject(parent)
    , m_posts(posts)
    , m_texts(texts)
    , m_measure(fetch)
{
    connect(&m_measure, &ThreadMeasurement::finished, this, &ReplyCheckRun::onMeasured);
    connect(&m_measure, &ThreadMeasurement::failed, this, &ReplyCheckRun::onFailed);
    connect(&m_measure, &ThreadMeasurement::pageStarted, this, [this](int page, int pagesKnown) {
        emit status(QStringLiteral("checking post %1 (page %2 of %3)").arg(m_checkIndex + 1).arg(page).arg(pagesKnown));
    });
}

void ReplyCheckRun::start()
{
    m_measure.abandon();
    m_newReplies.clear();
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
        // A thread that says what it said is not unpacked to be compared.
        const bool same = m_texts.keptDigest(post.url) == ThreadTextStore::digestOf(size.text);
        const std::optional<ThreadText> kept = same ? size.text : m_texts.load(post.url);
        const ReplyVerdict verdict = ReplyJudge::judge(post, kept, size);
        if (verdict.news) {
            m_newReplies.append({ post.url, verdict.added, verdict.gist });
        } else if (!post.size || size.firstPageOk) {
            // Its first measurement, or one without news: what the thread
            // says now is what the next check compares with, also when it
            // shrank, so that no later reply hides behind what it lost. An
            // error page in the thread's place is never kept as the thread.
            m_posts.setThreadSize(m_current, size.bytes, size.pages, size.lastPage);
            if (kept != size.text)
                m_texts.keep(post.url, size.text);
            emit sizeRecorded();
        }
        // The run keeps what it measured, not every page's text.
        ThreadSize measured = size;
        measured.text.clear();
        m_checkedPosts.append({ post.url, measured, verdict.news, verdict.added });
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
