#pragma once

#include "net/fetch_address.h"
#include "net/http_response_counter.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class ConnectionPool;
class SocketControl;

// One fetch channel: measures a page by downloading it with a minimal
// HTTP/1.1 request and counting the body bytes. Redirects are followed and
// the last page is the one measured. A new start abandons a running fetch.
//
// Connections come from a pool, kept alive from one page to the next: a
// pool shared with other channels, or the channel's own. A request that
// fails on a reused connection before any answer arrives (the server closed
// it meanwhile) is sent once more on a new connection.
//
// Every fetch ends: with the page's size once the whole page has arrived
// (by its Content-Length, its last chunk, or the server's close), or with a
// failure when the server stays silent, the deadline passes, the page grows
// beyond the body limit, or the connection ends before the page is whole.
class PageFetch : public QObject {
    Q_OBJECT
public:
    explicit PageFetch(QObject *parent = nullptr);
    ~PageFetch() override;

    void start(const QString &address);
    // Ends the fetch at once; its connection is closed unless its answer was whole.
    void abandon();
    bool isBusy() const { return m_busy; }

    // Shares the connections of pool from the next start on; without one
    // (or once it is gone) the channel uses its own.
    void setConnectionPool(ConnectionPool *pool);
    // Takes other's port, limits, trust and shared pool: a channel beside it.
    void takeSettingsOf(const PageFetch &other);

    // Tests give the channel another port for plain addresses, short limits,
    // and trust in a throw-away certificate.
    void setDefaultPort(quint16 port) { m_defaultPort = port; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    void setDeadlineMs(int ms) { m_deadlineMs = ms; }
    void setMaxBodyBytes(qint64 bytes) { m_maxBodyBytes = bytes; }
    void setIgnoreSslErrors(bool ignore) { m_ignoreSslErrors = ignore; }
    quint16 defaultPort() const { return m_defaultPort; }

    // Sees the body of each measured page as it arrives (see HttpResponseCounter).
    void setBodySink(HttpResponseCounter::BodySink sink) { m_sink = std::move(sink); }
    // The page being fetched, after any redirects so far.
    const FetchAddress &currentAddress() const { return m_address; }
    // The status of the last answer, after any redirects.
    int statusCode() const { return m_counter.statusCode(); }

    static constexpr int kMaxRedirects = 5;
    // The longest silence of a server.
    static constexpr int kDefaultTimeoutMs = 30000;
    // A trickling server cannot hold a check run for longer than this.
    static constexpr int kDefaultDeadlineMs = 120000;
    // Above the largest forum page; an endless body stops here.
    static constexpr qint64 kDefaultMaxBodyBytes = 256LL * 1024 * 1024;

    // Where a fetch stands.
    enum class Step {
        Connecting, // waiting for a connection, or making one
        Sending, // the request is going out
        RequestSent,
        Receiving,
    };
    Q_ENUM(Step)

signals:
    void stepChanged(PageFetch::Step step);
    // Body bytes so far and the page's Content-Length figure (0 for none),
    // from the arrival after the one that ended the header.
    void progress(qint64 bodyBytes, qint64 contentLength);
    void finished(qint64 bodyBytes);
    // startError: the fetch could not start at all.
    void failed(bool startError, int number, const QString &description);

private:
    void request(const FetchAddress &address);
    void askForConnection(bool fresh);
    void onGranted(SocketControl *connection, bool fresh);
    void sendRequest();
    void releaseConnection(bool reusable);
    bool retryOnNewConnection();
    void onData(qint64 bytesTotal);
    void onClosed();
    void onError(int number, const QString &description);
    void onTimeout();
    void onDeadline();
    // Acts on what has arrived; returns true when the fetch ended or moved on.
    bool settle();
    void followRedirect();
    bool tooLarge() const;
    void finish();
    void fail(int number, const QString &description);

    ConnectionPool *m_ownPool = nullptr;
    QPointer<ConnectionPool> m_sharedPool;
    QPointer<ConnectionPool> m_lender; // the pool of the connection in use
    SocketControl *m_socket = nullptr; // the connection in use, while one is
    HttpResponseCounter m_counter;
    HttpResponseCounter::BodySink m_sink;
    FetchAddress m_address;
    QTimer m_timer;
    QTimer m_deadline;
    QByteArray m_chunk; // reused for every read
    quint16 m_defaultPort = 80;
    int m_timeoutMs = kDefaultTimeoutMs;
    int m_deadlineMs = kDefaultDeadlineMs;
    qint64 m_maxBodyBytes = kDefaultMaxBodyBytes;
    int m_redirects = 0;
    bool m_busy = false;
    bool m_waiting = false; // for a connection
    bool m_reused = false; // the connection carried an answer before this request
    bool m_retried = false;
    bool m_answered = false; // a byte of the answer arrived
    bool m_ignoreSslErrors = false;
};
