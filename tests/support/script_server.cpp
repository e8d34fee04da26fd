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

#include <cerrno>

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

struct ScriptServer::Peer {
    QByteArray buffer;
    int number = 0; // the connection, counting from 1
    int answered = 0;
    int heldDescriptor = -1;
    quint64 requestsSeen = 0;
    bool ending = false; // no more requests are read
    bool open = true; // counted as open
};

namespace {
QList<ScriptServer *> &everyServer()
{
    static QList<ScriptServer *> servers;
    return servers;
}
} // namespace

ScriptServer::Tally &ScriptServer::allServers()
{
    static Tally tally;
    return tally;
}

ScriptServer::ScriptServer(QObject *parent, const QHostAddress &address)
    : QObject(parent)
    , m_address(address)
{
    everyServer().append(this);
    auto server = std::make_unique<DescriptorServer>();
    server->takeOver = [this](qintptr descriptor) { return takeOver(descriptor); };
    m_server = std::move(server);
    m_server->listen(address, 0);
    connect(m_server.get(), &QTcpServer::newConnection, this, &ScriptServer::onConnection);
}

ScriptServer::~ScriptServer()
{
    everyServer().removeOne(this);
    for (auto it = m_peers.cbegin(); it != m_peers.cend(); ++it) {
        it.key()->disconnect(this);
        delete it.value();
    }
    m_peers.clear();
    m_server.reset();
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
                 : QStringLiteral("http://%1:%2").arg(m_address.toString()).arg(port());
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

ScriptServer::Script pieces(QList<ScriptServer::Piece> list, bool keepOpen)
{
    ScriptServer::Script s;
    s.pieces = std::move(list);
    s.keepOpen = keepOpen;
    return s;
}

QList<QByteArray> ScriptServer::paths() const
{
    QList<QByteArray> out;
    for (const QByteArray &r : requests)
        out.append(r.mid(4, r.indexOf(' ', 4) - 4));
    return out;
}

ScriptServer::Script ScriptServer::response(const QByteArray &body, const QByteArray &extraHeaders, int status)
{
    return pieces({ { "HTTP/1.1 " + QByteArray::number(status) + " OK\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body } });
}

ScriptServer::Script ScriptServer::keptAlive(const QByteArray &body, int delayMs, const QByteArray &extraHeaders)
{
    return pieces({ { "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + extraHeaders
                          + "\r\n" + body,
                      delayMs } },
        true);
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

namespace {
// Whether the client has closed its end, seen before the event loop tells.
bool closedByPeer(QTcpSocket *socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return true;
    char byte;
    const auto n = ::recv(static_cast<int>(socket->socketDescriptor()), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

void count(ScriptServer::Tally &tally, int openChange, int answeringChange)
{
    tally.open += openChange;
    tally.mostOpen = std::max(tally.mostOpen, tally.open);
    tally.answering += answeringChange;
    tally.mostAnswering = std::max(tally.mostAnswering, tally.answering);
}
} // namespace

void ScriptServer::serve(QTcpSocket *socket, int heldDescriptor)
{
    // A client that closed one connection and opened the next is never
    // counted with both open, whatever order the events come in.
    for (ScriptServer *server : std::as_const(everyServer()))
        for (auto it = server->m_peers.cbegin(); it != server->m_peers.cend(); ++it)
            if (it.value()->open && closedByPeer(it.key())) {
                it.value()->open = false;
                count(server->tally, -1, 0);
                count(allServers(), -1, 0);
            }
    auto *peer = new Peer;
    peer->number = ++connections;
    peer->heldDescriptor = heldDescriptor;
    m_peers.insert(socket, peer);
    count(tally, 1, 0);
    count(allServers(), 1, 0);
    auto closed = [this, peer] {
        if (!peer->open)
            return;
        peer->open = false;
        count(tally, -1, 0);
        count(allServers(), -1, 0);
    };
    connect(socket, &QObject::destroyed, this, [this, socket, peer, closed] {
        closed();
        m_peers.remove(socket);
        delete peer;
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, peer] {
        peer->buffer.append(socket->readAll());
        for (qsizetype end = peer->buffer.indexOf("\r\n\r\n"); end >= 0 && !peer->ending;
             end = peer->buffer.indexOf("\r\n\r\n")) {
            const QByteArray request = peer->buffer.left(end + 4);
            peer->buffer.remove(0, end + 4);
            onRequest(socket, peer, request);
        }
    });
    connect(socket, &QTcpSocket::disconnected, this, [socket, closed] {
        closed();
        socket->deleteLater();
    });
}

void ScriptServer::onRequest(QTcpSocket *socket, Peer *peer, const QByteArray &request)
{
    requests.append(request);
    requestConnections.append(peer->number);
    ++peer->requestsSeen;
    if (m_answersPerConnection > 0 && peer->answered >= m_answersPerConnection) {
        end(socket, peer, m_dropByReset);
        return;
    }
    ++peer->answered;
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
        play(socket, peer, script);
}

void ScriptServer::countAnswering(int change)
{
    count(tally, 0, change);
    count(allServers(), 0, change);
}

void ScriptServer::play(QTcpSocket *socket, Peer *peer, const Script &script)
{
    QPointer<QTcpSocket> guard(socket);
    peer->ending = !script.keepOpen || !script.repeat.isEmpty();
    countAnswering(1);
    int at = 0;
    for (const Piece &piece : script.pieces) {
        at += piece.delayMs;
        QTimer::singleShot(at, socket, [guard, piece] {
            if (guard)
                guard->write(piece.bytes);
        });
    }
    QTimer::singleShot(at, this, [this] { countAnswering(-1); });
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
    if (script.keepOpen) {
        if (script.closeWhenIdleMs > 0) {
            const quint64 seen = peer->requestsSeen;
            QTimer::singleShot(at + script.closeWhenIdleMs, socket, [this, socket, peer, seen, script] {
                if (peer->requestsSeen != seen)
                    return;
                socket->write(script.goodbye);
                end(socket, peer, false);
            });
        }
        return;
    }
    QTimer::singleShot(at + 5, socket, [this, guard, peer, script] {
        if (!guard)
            return;
        if (script.closeNotifyOnly)
            peer->heldDescriptor = -1; // the TCP connection stays open
        end(guard, peer, script.reset);
    });
}

void ScriptServer::end(QTcpSocket *socket, Peer *peer, bool reset)
{
    peer->ending = true;
    socket->flush();
    if (reset) {
        // A zero linger time makes the close a reset.
        const linger hard { 1, 0 };
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        socket->abort();
        socket->deleteLater();
        return;
    }
    socket->disconnectFromHost();
    if (peer->heldDescriptor >= 0) {
        m_heldDescriptors.removeOne(peer->heldDescriptor);
        ::close(peer->heldDescriptor);
        peer->heldDescriptor = -1;
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

QString deadAddress()
{
    return QStringLiteral("http://127.0.0.1:%1/dead").arg(closedLoopbackPort());
}

QByteArray PageServer::thread(int replies)
{
    QByteArray body = "<h1>A thread</h1>\n";
    for (int i = 1; i <= replies; ++i)
        body += QStringLiteral("<div><b>user%1</b><p>Reply number %1</p><i>Quote</i></div>\n")
                    .arg(i, 2, 10, QLatin1Char('0'))
                    .toLatin1();
    return body;
}

PageServer::PageServer()
{
    setHandler([this](const QByteArray &path) {
        Script s
            = response(replies.contains(path) ? thread(replies.value(path)) : QByteArray(sizes.value(path, 100), 'p'));
        s.pieces.first().delayMs = delays.value(path, delayMs);
        return s;
    });
}
