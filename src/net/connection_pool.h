#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class SocketControl;

// Where a connection leads. A connection carries requests only for the same
// host, port and scheme, and only for channels that trust what it trusted.
struct ConnectionKey {
    QString hostName; // in lower case
    quint16 port = 80;
    bool tls = false;
    bool trustAnyCertificate = false;

    bool operator==(const ConnectionKey &other) const
    {
        return hostName == other.hostName && port == other.port && tls == other.tls
            && trustAnyCertificate == other.trustAnyCertificate;
    }
};

// Connections shared by fetch channels, polite to each server: at most
// maxConnections open in all and maxPerHost to one host name. A connection
// that served a whole answer waits, idle, for the next request to the same
// place and is closed after idleTimeoutMs or with the pool. A request that
// cannot have a connection waits; waiting requests are served in turn.
class ConnectionPool : public QObject {
    Q_OBJECT
public:
    // Gets the connection: open and idle, or new and not yet connected. A
    // channel whose pool went away while it waited is given none.
    using Grant = std::function<void(SocketControl *connection)>;

    explicit ConnectionPool(QObject *parent = nullptr);
    ~ConnectionPool() override;

    static constexpr int kDefaultMaxConnections = 8;
    static constexpr int kDefaultMaxPerHost = 2;
    // Shorter than the few seconds servers commonly keep an idle connection.
    static constexpr int kDefaultIdleTimeoutMs = 4000;

    void setMaxConnections(int count);
    void setMaxPerHost(int count);
    void setIdleTimeoutMs(int ms) { m_idleTimeoutMs = ms; }
    // An open connection to hostName waits, idle, for a request.
    bool hasIdle(const QString &hostName) const;

    // Asks for a connection to key for requester, replacing any request it
    // has waiting. grant is called at once or later, while requester lives
    // and has not cancelled. fresh: a new connection, never an idle one. The
    // connection is the requester's until it is released.
    void request(QObject *requester, const ConnectionKey &key, bool fresh, Grant grant);
    void cancel(QObject *requester);
    // Takes a granted connection back: kept idle for the next request when
    // reusable and still alive, closed otherwise.
    void release(SocketControl *connection, bool reusable);

private:
    struct Waiter {
        QPointer<QObject> requester;
        ConnectionKey key;
        bool fresh = false;
        Grant grant;
    };
    struct Idle {
        SocketControl *connection = nullptr;
        ConnectionKey key;
        qint64 since = 0;
    };

    SocketControl *take(const Waiter &waiter);
    bool makeRoom(const QString &hostName);
    bool closeOldestIdle(const QString &hostName);
    int countFor(const QString &hostName) const;
    void dropIdle(SocketControl *connection);
    // Closes a connection the pool has done with; no event of it reaches the pool.
    void discard(SocketControl *connection);
    void dispatch();
    void scheduleDispatch();
    void expireIdle();

    QList<Waiter> m_waiting;
    QList<Idle> m_idle; // oldest first
    QHash<SocketControl *, ConnectionKey> m_granted;
    QElapsedTimer m_clock;
    QTimer m_idleTimer;
    int m_maxConnections = kDefaultMaxConnections;
    int m_maxPerHost = kDefaultMaxPerHost;
    int m_idleTimeoutMs = kDefaultIdleTimeoutMs;
    bool m_dispatchQueued = false;
};
