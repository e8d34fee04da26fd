#include "platform/desktop_notifier.h"

#include "notifications_proxy.h"
#include "platform/identity.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// The action a notification server invokes when the notification itself is clicked.
const QString kDefaultAction = QStringLiteral("default");

QVariantMap hints()
{
    // Lets the server show the program's name and icon from its desktop entry.
    return { { QStringLiteral("desktop-entry"), Identity::applicationId() } };
}

} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent)
    : Notifier(parent)
    , m_service(std::make_unique<NotificationsProxy>(kService, kPath, QDBusConnection::sessionBus()))
{
    // A server that hangs must not hold a check started by a timer for long.
    m_service->setTimeout(5000);
    connect(m_service.get(), &NotificationsProxy::ActionInvoked, this, [this](uint id, const QString &action) {
        if (id != 0 && id == m_shownId && action == kDefaultAction)
            emit activated();
    });
}

DesktopNotifier::~DesktopNotifier() = default;

bool DesktopNotifier::isAvailable() const
{
    return m_service->connection().isConnected();
}

void DesktopNotifier::notify(const QString &title, const QString &text, int)
{
    if (!isAvailable())
        return;
    // Waiting here would hold the window while a busy server answers.
    auto *watcher
        = new QDBusPendingCallWatcher(m_service->Notify(Identity::productName(), m_shownId, Identity::applicationId(),
                                          title, text, { kDefaultAction, QStringLiteral("Show") }, hints(), -1),
            this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        const QDBusPendingReply<uint> reply = *call;
        if (!reply.isError())
            m_shownId = reply.value();
        call->deleteLater();
    });
}

bool DesktopNotifier::sendNow(const QString &title, const QString &text, QString *error)
{
    if (!isAvailable()) {
        *error = QStringLiteral("no session bus");
        return false;
    }
    QDBusPendingReply<uint> reply
        = m_service->Notify(Identity::productName(), 0, Identity::applicationId(), title, text, {}, hints(), -1);
    reply.waitForFinished();
    if (reply.isError()) {
        *error = reply.error().message();
        return false;
    }
    return true;
}
