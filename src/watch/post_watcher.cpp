#include "watch/post_watcher.h"

#include "platform/dialog_service.h"
#include "platform/list_records.h"
#include "watch/thread_text_store.h"
#include "watch/watched_posts_model.h"

PostWatcher::PostWatcher(
    WatchedPostsModel &posts, ThreadTextStore &texts, PageFetch &channel, DialogService &dialogs, QObject *parent)
    : QObject(parent)
    , m_posts(posts)
    , m_texts(texts)
    , m_measure(channel)
    , m_dialogs(dialogs)
{
    connect(&m_measure, &ThreadMeasurement::finished, this, &PostWatcher::onMeasured);
    connect(&m_measure, &ThreadMeasurement::failed, this, &PostWatcher::onFailed);
}

void PostWatcher::watch(const QString &url)
{
    if (const QString refusal = addressRefusal(url); !refusal.isEmpty()) {
        emit addressRefused(QStringLiteral("Not watched: %1").arg(refusal));
        return;
    }
    measure(m_posts.at(m_posts.rowFor(url)).id);
}

void PostWatcher::measure(quint64 postId)
{
    if (m_measure.isBusy() && m_target != postId) {
        // Another post is being measured: this one waits its turn.
        if (!m_queue.contains(postId))
            m_queue.append(postId);
        return;
    }
    const int row = m_posts.rowOf(postId);
    if (row < 0)
        return measureNext();
    m_target = postId;
    m_measure.start(m_posts.at(row).url);
}

void PostWatcher::measureNext()
{
    while (!m_queue.isEmpty()) {
        const quint64 id = m_queue.takeFirst();
        if (m_posts.rowOf(id) >= 0)
            return measure(id);
    }
}

void PostWatcher::onMeasured(const ThreadSize &size)
{
    // A post removed meanwhile just drops its result.
    const int row = m_posts.rowOf(m_target);
    if (row >= 0) {
        m_posts.setThreadSize(m_target, size.bytes, size.pages, size.lastPage);
        m_texts.keep(m_posts.at(row).url, size.text);
    }
    m_target = 0;
    emit measureCompleted();
    measureNext();
}

QString PostWatcher::fetchErrorText(bool startError, int number, const QString &description)
{
    return startError
        ? QStringLiteral("An error has occurred.\r\nError #: %1\r\nDescription: %2").arg(number).arg(description)
        : QStringLiteral("Error occurred.\r\nError #: %1\r\n%2").arg(number).arg(description);
}

void PostWatcher::onFailed(bool startError, int number, const QString &description)
{
    m_target = 0;
    // The box waits for the user, who may watch another post meanwhile; that
    // measurement is already under way when the box closes.
    m_dialogs.message(nullptr, fetchErrorText(startError, number, description), QStringLiteral("Error"),
        DialogService::Icon::Exclamation);
    if (!m_measure.isBusy())
        measureNext();
}
