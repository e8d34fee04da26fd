#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;

// A TCP connection with the events the page fetcher works with: connect,
// send progress and completion, data arrival, remote close and error. Plain
// or TLS. close() ends any connection and no event follows it. One
// connection may carry one request after another.
class SocketControl : public QObject {
    Q_OBJECT
public:
    explicit SocketControl(QObject *parent = nullptr);
    ~SocketControl() override;

    void connectTo(const QString &host, quint16 port, bool tls);
    void sendData(const QByteArray &data);
    // Reads up to size waiting bytes into data; returns how many.
    qint64 read(char *data, qint64 size);
    void close();
    bool isOpen() const;
    // Connected, with nothing unread and no close or error from the server:
    // the connection can carry another request.
    bool isIdleAlive() const;

    // Tests use a throw-away certificate: let them trust it.
    void setIgnoreSslErrors(bool ignore) { m_ignoreSslErrors = ignore; }

signals:
    void connected();
    void sendProgress(qint64 bytesSent, qint64 bytesRemaining);
    void sendComplete();
    void dataArrival(qint64 bytesTotal);
    void closed();
    // number: a FetchError::Number.
    void error(int number, const QString &description);

private:
    void attach();
    void onRemoteClose();
    void onError();

    QTcpSocket *m_socket = nullptr; // a QSslSocket for TLS
    qint64 m_toSend = 0;
    bool m_ignoreSslErrors = false;
    bool m_reported = false;
};
