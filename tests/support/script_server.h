#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslConfiguration>

#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

// A loopback HTTP peer that answers every connection with scripted pieces:
// each piece is sent after its delay, then the connection is closed (unless
// the script says to keep it open). It records the requests it received.
// It can also trickle or stream without end, end with a reset, and serve
// over TLS with the throw-away certificate of the test data.
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
    };

    explicit ScriptServer(QObject *parent = nullptr);
    ~ScriptServer() override;
    quint16 port() const;
    QString base() const; // "http://127.0.0.1:PORT", or "https://localhost:PORT"

    // Every later connection is served over TLS; false when TLS is missing.
    bool useTls();

    // The script for requests whose path starts with prefix; "" matches all.
    void route(const QByteArray &pathPrefix, Script script);
    // A whole response in one piece.
    static Script response(const QByteArray &body, const QByteArray &extraHeaders = {}, int status = 200);
    // Builds a response dynamically from the request path.
    void setHandler(std::function<Script(const QByteArray &path)> handler) { m_handler = std::move(handler); }

    // Serves the files under folder for paths that start with pathPrefix (the
    // rest of the path, without its query, names the file), with a content type
    // from the file's suffix; a missing file gets 404.
    void serveFolder(const QByteArray &pathPrefix, const QString &folder);

    QList<QByteArray> requests;

private:
    bool takeOver(qintptr descriptor);
    void onConnection();
    void serve(QTcpSocket *socket, int heldDescriptor);
    Script fileResponse(const QString &folder, const QByteArray &relativePath) const;
    void play(QTcpSocket *socket, const Script &script, int heldDescriptor);

    std::unique_ptr<QTcpServer> m_server;
    QList<QPair<QByteArray, Script>> m_routes;
    QList<QPair<QByteArray, QString>> m_folders;
    std::function<Script(const QByteArray &)> m_handler;
    QSslConfiguration m_tlsConfig;
    QList<int> m_heldDescriptors;
    bool m_tls = false;
};

// A port on loopback where nobody listens.
quint16 closedLoopbackPort();
