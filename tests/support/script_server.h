#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSslConfiguration>

#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

// A loopback HTTP peer that answers every request with scripted pieces:
// each piece is sent after its delay, then the connection is closed, unless
// the script keeps it open for the next request. It records the requests it
// received and on which connection, and counts the connections open at once.
// It can also trickle or stream without end, end with a reset, and serve
// over TLS with the throw-away certificate of the test data. Servers on
// 127.0.0.2, 127.0.0.3, ... stand for other hosts.
class ScriptServer : public QObject {
    Q_OBJECT
public:
    struct Piece {
        QByteArray bytes;
        int delayMs = 0;
    };
    struct Script {
        QList<Piece> pieces;
        bool neverAnswer = false; // accept, read, say nothing, keep open
        bool keepOpen = false;
        bool reset = false; // end with a TCP reset instead of a close
        // Over TLS: end with the close_notify alert but keep the TCP
        // connection open, as some servers do.
        bool closeNotifyOnly = false;
        // After the pieces, sent again every repeatEveryMs until the peer
        // goes away; the connection is never closed from this side.
        QByteArray repeat;
        int repeatEveryMs = 1;
        // With keepOpen: once idle this long, send goodbye and close, as a
        // server ends a kept connection.
        int closeWhenIdleMs = 0;
        QByteArray goodbye;
    };
    // Connections and requests at the same time, on one server or on all.
    struct Tally {
        int open = 0;
        int mostOpen = 0;
        int answering = 0; // requests whose answer is not yet all sent
        int mostAnswering = 0;
    };

    explicit ScriptServer(QObject *parent = nullptr, const QHostAddress &address = QHostAddress::LocalHost);
    ~ScriptServer() override;
    quint16 port() const;
    QString base() const; // "http://127.0.0.1:PORT", or "https://localhost:PORT"

    // Every later connection is served over TLS; false when TLS is missing.
    bool useTls();

    // The script for requests whose path starts with prefix; "" matches all.
    void route(const QByteArray &pathPrefix, Script script);
    // A whole response in one piece, after which the server closes.
    static Script response(const QByteArray &body, const QByteArray &extraHeaders = {}, int status = 200);
    // A whole response after delayMs, the connection kept for the next request.
    static Script keptAlive(const QByteArray &body, int delayMs = 0, const QByteArray &extraHeaders = {});
    // Builds a response dynamically from the request path.
    void setHandler(std::function<Script(const QByteArray &path)> handler) { m_handler = std::move(handler); }

    // Serves the files under folder for paths that start with pathPrefix (the
    // rest of the path, without its query, names the file), with a content type
    // from the file's suffix; a missing file gets 404.
    void serveFolder(const QByteArray &pathPrefix, const QString &folder);

    // A request beyond this many on one connection is met by a close (or a
    // reset) without an answer, as when a server ends a kept connection
    // just as the next request arrives. 0: no limit.
    void dropRequestsAfter(int answersPerConnection, bool reset)
    {
        m_answersPerConnection = answersPerConnection;
        m_dropByReset = reset;
    }

    QList<QByteArray> requests;
    QList<QByteArray> paths() const; // of the requests
    QList<int> requestConnections; // the connection of each request, counting from 1
    int connections = 0;
    Tally tally;
    // Every server of the process together; tests reset it.
    static Tally &allServers();

private:
    struct Peer;
    bool takeOver(qintptr descriptor);
    void onConnection();
    void serve(QTcpSocket *socket, int heldDescriptor);
    void onRequest(QTcpSocket *socket, Peer *peer, const QByteArray &request);
    Script fileResponse(const QString &folder, const QByteArray &relativePath) const;
    void play(QTcpSocket *socket, Peer *peer, const Script &script);
    void end(QTcpSocket *socket, Peer *peer, bool reset);
    void countAnswering(int change);

    std::unique_ptr<QTcpServer> m_server;
    QList<QPair<QByteArray, Script>> m_routes;
    QList<QPair<QByteArray, QString>> m_folders;
    std::function<Script(const QByteArray &)> m_handler;
    QSslConfiguration m_tlsConfig;
    QList<int> m_heldDescriptors;
    QHash<QTcpSocket *, Peer *> m_peers;
    QHostAddress m_address;
    int m_answersPerConnection = 0;
    bool m_dropByReset = false;
    bool m_tls = false;
};

// Pieces, after which the server closes unless the connection is kept.
ScriptServer::Script pieces(QList<ScriptServer::Piece> list, bool keepOpen = false);

// A port on loopback where nobody listens, and an address on it.
quint16 closedLoopbackPort();
QString deadAddress();

// Pages whose size a test sets, or threads of as many replies as it says,
// each reply with its author and a button; any other path is 100 bytes.
struct PageServer : ScriptServer {
    QMap<QByteArray, int> sizes;
    QMap<QByteArray, int> replies;
    QMap<QByteArray, int> delays; // before the answer, by path
    int delayMs = 0; // for the other paths
    static QByteArray thread(int replies);
    PageServer();
    QString url(const char *path) const { return base() + QLatin1String(path); }
};
