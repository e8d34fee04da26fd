#include "net/socket_control.h"

#include "net/fetch_error.h"

#include <QSslSocket>

#include <sys/socket.h>

#include <cerrno>

SocketControl::SocketControl(QObject *parent)
    : QObject(parent)
{
}

SocketControl::~SocketControl()
{
    close();
}

void SocketControl::close()
{
    if (!m_socket)
        return;
    // Detach first: a closed control raises no more events.
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

bool SocketControl::isOpen() const
{
    return m_socket != nullptr;
}

bool SocketControl::isIdleAlive() const
{
    if (!m_socket || m_reported || m_socket->state() != QAbstractSocket::ConnectedState
        || m_socket->bytesAvailable() > 0)
        return false;
    if (auto *secure = qobject_cast<QSslSocket *>(m_socket); secure && !secure->isEncrypted())
        return false;
    // The server's close, or bytes nobody asked for, may already wait in the
    // system unseen by the event loop: a peek finds them without reading.
    char byte;
    const auto n = ::recv(static_cast<int>(m_socket->socketDescriptor()), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

void SocketControl::attach()
{
    QTcpSocket *s = m_socket;
    // A TLS connection is connected once it is encrypted (below).
    if (!qobject_cast<QSslSocket *>(s))
        connect(s, &QTcpSocket::connected, this, &SocketControl::connected);
    connect(s, &QTcpSocket::bytesWritten, this, [this](qint64 n) {
        m_toSend -= n;
        emit sendProgress(n, std::max<qint64>(m_toSend, 0));
        if (m_toSend <= 0)
            emit sendComplete();
    });
    connect(s, &QTcpSocket::readyRead, this, [this] {
        if (m_socket)
            emit dataArrival(m_socket->bytesAvailable());
    });
    connect(s, &QTcpSocket::disconnected, this, &SocketControl::onRemoteClose);
    connect(s, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // The server ending the connection is the normal end. Over TLS this
        // also comes with the server's close_notify, which may arrive while
        // the server keeps the TCP connection open: no disconnect follows.
        if (e == QAbstractSocket::RemoteHostClosedError)
            onRemoteClose();
        else
            onError();
    });
    auto *secure = qobject_cast<QSslSocket *>(s);
    if (!secure)
        return;
    connect(secure, &QSslSocket::encrypted, this, [this] { emit connected(); });
    connect(secure, &QSslSocket::sslErrors, this, [this, secure](const QList<QSslError> &) {
        if (m_ignoreSslErrors && m_socket == secure)
            secure->ignoreSslErrors();
    });
}

void SocketControl::connectTo(const QString &host, quint16 port, bool tls)
{
    close();
    // A plain socket for plain pages: the TLS library is loaded only when a
    // page needs it, which saves postmaven-cli several milliseconds a run.
    QSslSocket *secure = tls ? new QSslSocket(this) : nullptr;
    m_socket = secure ? secure : new QTcpSocket(this);
    m_toSend = 0;
    m_reported = false;
    // A bounded buffer: a large page never sits in memory whole.
    m_socket->setReadBufferSize(256 * 1024);
    attach();
    if (secure)
        secure->connectToHostEncrypted(host, port);
    else
        m_socket->connectToHost(host, port);
}

void SocketControl::sendData(const QByteArray &data)
{
    if (!m_socket)
        return;
    m_toSend += data.size();
    m_socket->write(data);
}

qint64 SocketControl::read(char *data, qint64 size)
{
    return m_socket ? std::max<qint64>(0, m_socket->read(data, size)) : 0;
}

void SocketControl::onRemoteClose()
{
    QTcpSocket *const socket = m_socket;
    if (!socket || m_reported)
        return;
    // Data may still wait in the buffer: hand it over before the close.
    if (socket->bytesAvailable() > 0)
        emit dataArrival(socket->bytesAvailable());
    // The data may have ended this connection, or begun another one.
    if (m_socket != socket || m_reported)
        return;
    m_reported = true;
    emit closed();
}

void SocketControl::onError()
{
    if (!m_socket || m_reported)
        return;
    int number = FetchError::OtherError;
    QString description;
    switch (m_socket->error()) {
    case QAbstractSocket::HostNotFoundError:
        number = FetchError::HostNotFound;
        description = tr("The host name could not be found.");
        break;
    case QAbstractSocket::ConnectionRefusedError:
        number = FetchError::ConnectionRefused;
        description = tr("The connection was refused by the server.");
        break;
    case QAbstractSocket::SocketTimeoutError:
        number = FetchError::TimedOut;
        description = tr("The connection timed out.");
        break;
    case QAbstractSocket::NetworkError:
        number = FetchError::ConnectionReset;
        description = tr("The connection was reset.");
        break;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        number = FetchError::SecureFailure;
        description = tr("The secure connection failed: %1").arg(m_socket->errorString());
        break;
    default:
        description = m_socket->errorString();
        break;
    }
    m_reported = true;
    emit error(number, description);
}
