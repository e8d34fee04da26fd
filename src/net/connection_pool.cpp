#include "net/connection_pool.h"

#include "net/socket_control.h"

#include <algorithm>

ConnectionPool::ConnectionPool(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &ConnectionPool::expireIdle);
}

ConnectionPool::~ConnectionPool()
{
    for (const Idle &idle : std::as_const(m_idle))
        discard(idle.connection);
    // A channel still waiting goes on without the pool.
    for (Waiter &waiter : m_waiting)
        if (waiter.requester)
            QMetaObject::invokeMethod(
                waiter.requester, [grant = std::move(waiter.grant)] { grant(nullptr); }, Qt::QueuedConnection);
}

void ConnectionPool::setMaxConnections(int count)
{
    m_maxConnections = std::max(1, count);
    scheduleDispatch();
}

void ConnectionPool::setMaxPerHost(int count)
{
    m_maxPerHost = std::max(1, count);
    scheduleDispatch();
}

void ConnectionPool::request(QObject *requester, const ConnectionKey &key, bool fresh, Grant grant)
{
    cancel(requester);
    Waiter waiter { requester, key, fresh, std::move(grant) };
    // Nobody waits before it: served now, on the caller's own turn.
    if (m_waiting.isEmpty()) {
        if (SocketControl *connection = take(waiter)) {
            waiter.grant(connection);
            return;
        }
    }
    m_waiting.append(std::move(waiter));
    scheduleDispatch();
}

void ConnectionPool::cancel(QObject *requester)
{
    m_waiting.removeIf([requester](const Waiter &w) { return !w.requester || w.requester == requester; });
}

void ConnectionPool::release(SocketControl *connection, bool reusable)
{
    const auto it = m_granted.constFind(connection);
    if (it == m_granted.cend()) {
        discard(connection);
        return;
    }
    const ConnectionKey key = it.value();
    m_granted.erase(it);
    if (reusable && connection->isIdleAlive()) {
        connection->setParent(this);
        m_idle.append({ connection, key, m_clock.elapsed() });
        // A server may close an idle connection, or say something on it:
        // either way it carries no more requests.
        auto drop = [this, connection] { dropIdle(connection); };
        connect(connection, &SocketControl::closed, this, drop);
        connect(connection, &SocketControl::error, this, drop);
        connect(connection, &SocketControl::dataArrival, this, drop);
        if (!m_idleTimer.isActive())
            m_idleTimer.start(m_idleTimeoutMs);
    } else {
        discard(connection);
    }
    if (!m_waiting.isEmpty())
        scheduleDispatch();
}

SocketControl *ConnectionPool::take(const Waiter &waiter)
{
    SocketControl *connection = nullptr;
    // The connection used last is the likeliest to be still open.
    for (qsizetype i = m_idle.size() - 1; i >= 0 && !connection && !waiter.fresh; --i) {
        if (!(m_idle[i].key == waiter.key))
            continue;
        SocketControl *idle = m_idle.takeAt(i).connection;
        if (idle->isIdleAlive()) {
            idle->disconnect(this);
            connection = idle;
            connection->setParent(waiter.requester);
        } else {
            discard(idle);
        }
    }
    if (!connection) {
        if (!makeRoom(waiter.key.hostName))
            return nullptr;
        connection = new SocketControl(waiter.requester);
    }
    m_granted.insert(connection, waiter.key);
    return connection;
}

bool ConnectionPool::makeRoom(const QString &hostName)
{
    while (countFor(hostName) >= m_maxPerHost)
        if (!closeOldestIdle(hostName))
            return false;
    while (m_granted.size() + m_idle.size() >= m_maxConnections)
        if (!closeOldestIdle(QString()))
            return false;
    return true;
}

bool ConnectionPool::closeOldestIdle(const QString &hostName)
{
    const auto it = std::find_if(m_idle.cbegin(), m_idle.cend(),
        [&hostName](const Idle &idle) { return hostName.isEmpty() || idle.key.hostName == hostName; });
    if (it == m_idle.cend())
        return false;
    SocketControl *connection = it->connection;
    m_idle.erase(it);
    discard(connection);
    return true;
}

bool ConnectionPool::hasIdle(const QString &hostName) const
{
    return std::any_of(
        m_idle.cbegin(), m_idle.cend(), [&hostName](const Idle &idle) { return idle.key.hostName == hostName; });
}

int ConnectionPool::countFor(const QString &hostName) const
{
    const auto granted = std::count_if(m_granted.cbegin(), m_granted.cend(),
        [&hostName](const ConnectionKey &key) { return key.hostName == hostName; });
    const auto idle = std::count_if(
        m_idle.cbegin(), m_idle.cend(), [&hostName](const Idle &idle) { return idle.key.hostName == hostName; });
    return static_cast<int>(granted + idle);
}

void ConnectionPool::dropIdle(SocketControl *connection)
{
    const auto it = std::find_if(
        m_idle.cbegin(), m_idle.cend(), [connection](const Idle &idle) { return idle.connection == connection; });
    if (it == m_idle.cend())
        return;
    m_idle.erase(it);
    discard(connection);
    if (!m_waiting.isEmpty())
        scheduleDispatch();
}

void ConnectionPool::discard(SocketControl *connection)
{
    connection->disconnect(this);
    connection->close();
    connection->deleteLater();
}

void ConnectionPool::scheduleDispatch()
{
    if (m_dispatchQueued || m_waiting.isEmpty())
        return;
    m_dispatchQueued = true;
    QMetaObject::invokeMethod(this, &ConnectionPool::dispatch, Qt::QueuedConnection);
}

void ConnectionPool::dispatch()
{
    m_dispatchQueued = false;
    for (qsizetype i = 0; i < m_waiting.size();) {
        if (!m_waiting[i].requester) {
            m_waiting.removeAt(i);
            continue;
        }
        SocketControl *connection = take(m_waiting[i]);
        if (!connection) {
            ++i;
            continue;
        }
        const Waiter waiter = m_waiting.takeAt(i);
        waiter.grant(connection);
        // The grant may have asked or cancelled: look again from the first.
        i = 0;
    }
}

void ConnectionPool::expireIdle()
{
    const qint64 now = m_clock.elapsed();
    while (!m_idle.isEmpty() && now - m_idle.first().since >= m_idleTimeoutMs)
        dropIdle(m_idle.first().connection);
    if (!m_idle.isEmpty())
        m_idleTimer.start(static_cast<int>(m_idle.first().since + m_idleTimeoutMs - now));
}
