#include "support/script_server.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// Hands each accepted descriptor to a callback before Qt wraps it, so that a
// connection can be served over TLS from a duplicate of its descriptor.
class DescriptorServer : public QTcpServer {
public:
    std::function<bool(qintptr)> takeOver;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (!takeOver || !takeOver(descriptor))
            QTcpServer::incomingConnection(descriptor);
    }
};

} // namespace

ScriptServer::ScriptServer(QObject *parent)
    : QObject(parent)
{
    auto server = std::make_unique<DescriptorServer>();
    server->takeOver = [this](qintptr descriptor) { return takeOver(descriptor); };
    m_server = std::move(server);
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server.get(), &QTcpServer::newConnection, this, &ScriptServer::onConnection);
}

ScriptServer::~ScriptServer()
{
    for (const int fd : std::as_const(m_heldDescriptors))
        ::close(fd);
}

quint16 ScriptServer::port() const
{
    return m_server->serverPort();
}

QString ScriptServer::base() const
{
    return m_tls ? QStringLiteral("https://localhost:%1").arg(port())
                 : QStringLiteral("http://127.0.0.1:%1").arg(port());
}

bool ScriptServer::useTls()
{
    if (!QSslSocket::supportsSsl())
        return false;
    QFile certFile(QStringLiteral(TEST_DATA_DIR "/tls/cert.pem"));
    QFile keyFile(QStringLiteral(TEST_DATA_DIR "/tls/key.pem"));
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly))
        return false;
    m_tlsConfig = QSslConfiguration::defaultConfiguration();
    m_tlsConfig.setLocalCertificate(QSslCertificate(certFile.readAll()));
    m_tlsConfig.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa));
    m_tls = true;
    return true;
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

bool ScriptServer::takeOver(qintptr descriptor)
{
    if (!m_tls)
        return false;
    // Qt gets a duplicate; the original keeps the TCP connection open when a
    // script ends with close_notify only.
    const int held = ::dup(static_cast<int>(descriptor));
    auto *socket = new QSslSocket(this);
    if (held < 0 || !socket->setSocketDescriptor(descriptor)) {
        if (held >= 0)
            ::close(held);
        delete socket;
        return true;
    }
    m_heldDescriptors.append(held);
    socket->setSslConfiguration(m_tlsConfig);
    socket->startServerEncryption();
    serve(socket, held);
    return true;
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
    static const QList<QPair<QString, QByteArray>> types { { "js", "application/javascript" },
        { "mjs", "application/javascript" }, { "css", "text/css" }, { "html", "text/html; charset=utf-8" },
        { "json", "application/json" }, { "png", "image/png" }, { "gif", "image/gif" }, { "svg", "image/svg+xml" },
        { "woff", "font/woff" } };
    QByteArray type = "application/octet-stream";
    const QString suffix = QFileInfo(name).suffix().toLower();
    for (const auto &t : types)
        if (t.first == suffix)
            type = t.second;
    return response(file.readAll(), "Content-Type: " + type + "\r\n");
}

void ScriptServer::onConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection())
        serve(socket, -1);
}

void ScriptServer::serve(QTcpSocket *socket, int heldDescriptor)
{
    auto *buffer = new QByteArray;
    connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer, heldDescriptor] {
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
        if (!script.neverAnswer)
            play(socket, script, heldDescriptor);
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

void ScriptServer::play(QTcpSocket *socket, const Script &script, int heldDescriptor)
{
    QPointer<QTcpSocket> guard(socket);
    int at = 0;
    for (const Piece &piece : script.pieces) {
        at += piece.delayMs;
        QTimer::singleShot(at, socket, [guard, piece] {
            if (guard)
                guard->write(piece.bytes);
        });
    }
    if (!script.repeat.isEmpty()) {
        QTimer::singleShot(at, socket, [guard, script] {
            if (!guard)
                return;
            auto *timer = new QTimer(guard);
            QObject::connect(timer, &QTimer::timeout, guard, [guard, script] {
                // Never more than a little ahead of the reader.
                if (guard && guard->bytesToWrite() < (1 << 20))
                    guard->write(script.repeat);
            });
            timer->start(script.repeatEveryMs);
        });
        return;
    }
    if (script.keepOpen)
        return;
    QTimer::singleShot(at + 5, socket, [this, guard, script, heldDescriptor] {
        if (!guard)
            return;
        guard->flush();
        if (script.reset) {
            // A zero linger time makes the close a reset.
            const linger hard { 1, 0 };
            ::setsockopt(static_cast<int>(guard->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            guard->abort();
            return;
        }
        guard->disconnectFromHost();
        if (heldDescriptor >= 0 && !script.closeNotifyOnly) {
            m_heldDescriptors.removeOne(heldDescriptor);
            ::close(heldDescriptor);
        }
    });
}

quint16 closedLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
