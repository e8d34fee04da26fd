#include "watch/check_scheduler.h"

#include "platform/settings_store.h"

#include "platform/dialog_service.h"

#include "platform/identity.h"
#include "platform/notifier.h"
#include "watch/reply_check.h"

namespace {
constexpr int kAddressesShown = 5;
} // namespace

QStringList CheckScheduler::choiceNames()
{
    return { QStringLiteral("Off"), QStringLiteral("Every 15 minutes"), QStringLiteral("Every hour"),
        QStringLiteral("Every 6 hours") };
}

QString CheckScheduler::notificationText(const QList<NewReply> &found)
{
    QString text = QStringLiteral("%1 new replies found").arg(found.size());
    // A notification is a glance: a few addresses, the rest in the window.
    for (int i = 0; i < found.size() && i < kAddressesShown; ++i) {
        text += QLatin1Char('\n') + found[i].address;
        if (!found[i].gist.isEmpty())
            text += QLatin1String("\n    ") + found[i].gist;
    }
    if (found.size() > kAddressesShown)
        text += QStringLiteral("\nand %1 more").arg(found.size() - kAddressesShown);
    return text;
}

int CheckScheduler::minutesFromSetting(const QString &text)
{
    bool ok = false;
    const int minutes = text.trimmed().toInt(&ok);
    return ok && choices().contains(minutes) ? minutes : 0;
}

CheckScheduler::CheckScheduler(ReplyCheckRun &run, Notifier *notifier, QObject *parent)
    : QObject(parent)
    , m_run(run)
    , m_notifier(notifier)
{
    connect(&m_timer, &QTimer::timeout, this, &CheckScheduler::onTimeout);
    // A run started by hand, also one that restarts a scheduled run, tells nobody.
    connect(&m_run, &ReplyCheckRun::started, this, [this] { m_ownRun = m_starting; });
    connect(&m_run, &ReplyCheckRun::finished, this, &CheckScheduler::onFinished);
}

void CheckScheduler::setIntervalMinutes(int minutes)
{
    setInterval(std::chrono::minutes(minutes));
}

void CheckScheduler::setInterval(std::chrono::milliseconds interval)
{
    if (interval.count() <= 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(interval);
}

void CheckScheduler::onTimeout()
{
    // The next tick tries again.
    if (m_run.isRunning())
        return;
    m_starting = true;
    m_run.start();
    m_starting = false;
}

void CheckScheduler::onFinished(int newReplies)
{
    if (!m_ownRun)
        return;
    m_ownRun = false;
    const QStringList found = m_run.newReplies();
    bool news = false;
    for (const QString &address : found)
        news = news || !m_told.contains(address);
    // What is no longer listed was seen; should it grow again, it is news again.
    m_told = QSet<QString>(found.cbegin(), found.cend());
    const bool tell = news && m_notifier;
    if (tell) {
        m_notifier->notify(Identity::productName(), notificationText(m_run.newReplyTexts()), newReplies);
    }
    emit runFinished(newReplies, tell);
}

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kAutoCheckMinutes = QStringLiteral("autoCheckMinutes");
} // namespace

void CheckScheduler::restore(const SettingsStore &settings)
{
    setIntervalMinutes(minutesFromSetting(settings.read(kSettings, kAutoCheckMinutes, QStringLiteral("0"))));
}

void CheckScheduler::chooseInterval(DialogService &dialogs, SettingsStore &settings)
{
    const QList<int> minutes = choices();
    int index
        = static_cast<int>(minutes.indexOf(minutesFromSetting(settings.read(kSettings, kAutoCheckMinutes, QString()))));
    if (!dialogs.choose(nullptr, tr("Check for new replies while Postmaven is open:"),
            tr("Check Replies Automatically"), choiceNames(), &index)
        || index < 0 || index >= minutes.size())
        return;
    settings.write(kSettings, kAutoCheckMinutes, QString::number(minutes[index]));
    setIntervalMinutes(minutes[index]);
}
