#include "support/script_server.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

ScriptServer::ScriptServer(QObject *parent)
    : QObject(parent)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptServer::onConnection);
}

QString ScriptServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

void ScriptServer::route(const QByteArray &pathPrefix, Script script)
{
    m_routes.prepend({ pathPrefix, std::move(script) });
}

ScriptServer::Script ScriptServer::response(const QByteArray &body, const QByteArray &extraHeaders, int status)
{
    QByteArray r = "HTTP/1.1 " + QByteArray::number(status) + " OK\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
    Script s;
    s.pieces.append({ r, 0 });
    return s;
}

void ScriptServer::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto *buffer = new QByteArray;
        connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (!buffer->contains("\r\n\r\n") || buffer->startsWith("DONE"))
                return;
            const QByteArray request = *buffer;
            buffer->prepend("DONE");
            requests.append(request);
            const QByteArray path = request.mid(4, request.indexOf(' ', 4) - 4);
            Script script;
            if (m_handler) {
                script = m_handler(path);
            } else {
                for (const auto &r : std::as_const(m_routes))
                    if (path.startsWith(r.first)) {
                        script = r.second;
                        break;
                    }
            }
            if (script.neverAnswer)
                return;
            QPointer<QTcpSocket> guard(socket);
            int at = 0;
            for (const Piece &piece : script.pieces) {
                at += piece.delayMs;
                QTimer::singleShot(at, socket, [guard, piece] {
                    if (guard)
                        guard->write(piece.bytes);
                });
            }
            if (!script.keepOpen)
                QTimer::singleShot(at + 5, socket, [guard] {
                    if (guard) {
                        guard->flush();
                        guard->disconnectFromHost();
                    }
                });
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

quint16 closedLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
