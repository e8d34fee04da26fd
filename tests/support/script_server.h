#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <functional>

// A loopback HTTP peer that answers every connection with scripted pieces:
// each piece is sent after its delay, then the connection is closed (unless
// the script says to keep it open). It records the requests it received.
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
    };

    explicit ScriptServer(QObject *parent = nullptr);
    quint16 port() const { return m_server.serverPort(); }
    QString base() const; // "http://127.0.0.1:PORT"

    // The script for requests whose path starts with prefix; "" matches all.
    void route(const QByteArray &pathPrefix, Script script);
    // A whole response in one piece.
    static Script response(const QByteArray &body, const QByteArray &extraHeaders = {}, int status = 200);
    // Serves the files under folder for paths that start with pathPrefix (the
    // rest of the path, without its query, names the file), with a content type
    // from the file's suffix; a missing file gets 404.
    void serveFolder(const QByteArray &pathPrefix, const QString &folder);
    // Builds a response dynamically from the request path.
    void setHandler(std::function<Script(const QByteArray &path)> handler) { m_handler = std::move(handler); }

    QList<QByteArray> requests;

private:
    void onConnection();
    Script fileResponse(const QString &folder, const QByteArray &relativePath) const;

    QTcpServer m_server;
    QList<QPair<QByteArray, Script>> m_routes;
    QList<QPair<QByteArray, QString>> m_folders;
    std::function<Script(const QByteArray &)> m_handler;
};

// A port on loopback where nobody listens.
quint16 closedLoopbackPort();
