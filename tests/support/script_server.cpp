#include "support/script_server.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

void ScriptServer::serveFolder(const QByteArray &pathPrefix, const QString &folder)
{
    m_folders.prepend({ pathPrefix, folder });
}

ScriptServer::Script ScriptServer::fileResponse(const QString &folder, const QByteArray &relativePath) const
{
    QByteArray rel = relativePath;
    const int query = rel.indexOf('?');
    if (query >= 0)
        rel.truncate(query);
    const QString name = QDir::cleanPath(QString::fromUtf8(QByteArray::fromPercentEncoding(rel)));
    // Nothing outside the folder is served.
    if (QDir::isAbsolutePath(name) || name.startsWith(QLatin1String("..")))
        return response("not found", {}, 404);
    QFile file(QDir(folder).filePath(name));
    if (QFileInfo(file).isDir() || !file.open(QIODevice::ReadOnly))
        return response("not found", {}, 404);
    static const QList<QPair<QString, QByteArray>> types { { "js", "application/javascript" }, { "css", "text/css" },
        { "html", "text/html; charset=utf-8" }, { "json", "application/json" }, { "png", "image/png" },
        { "gif", "image/gif" }, { "svg", "image/svg+xml" }, { "woff", "font/woff" } };
    QByteArray type = "application/octet-stream";
    const QString suffix = QFileInfo(name).suffix().toLower();
    for (const auto &t : types)
        if (t.first == suffix)
            type = t.second;
    return response(file.readAll(), "Content-Type: " + type + "\r\n");
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
            const auto folder = std::find_if(m_folders.cbegin(), m_folders.cend(),
                [&path](const QPair<QByteArray, QString> &f) { return path.startsWith(f.first); });
            if (folder != m_folders.cend()) {
                script = fileResponse(folder->second, path.mid(folder->first.size()));
            } else if (m_handler) {
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
