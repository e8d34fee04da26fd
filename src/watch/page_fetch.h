#pragma once

#include "watch/http_response_counter.h"

#include <QObject>
#include <QString>
#include <QTimer>

class SocketControl;

// Where a fetch goes: the host (with any port as written) and the path.
struct FetchAddress {
    QString host; // as sent in the "Host: " header
    QString hostName; // the name connected to
    QString path; // begins with "/"; query and fragment included
    quint16 port = 80;
    bool tls = false;
};

// "http://" (any letter case) is taken off the front; "https://" means TLS on
// port 443. The text before the first "/" is the host, the rest the path.
FetchAddress parseFetchAddress(const QString &address, quint16 defaultPort = 80);
QByteArray buildRequest(const FetchAddress &address);

// One fetch channel: measures a page by downloading it with a minimal
// HTTP/1.1 request and counting the body bytes. Redirects are followed and
// the last page is the one measured. A new start abandons a running fetch.
class PageFetch : public QObject {
    Q_OBJECT
public:
    explicit PageFetch(QObject *parent = nullptr);
    ~PageFetch() override;

    void start(const QString &address);
    void abandon();
    bool isBusy() const { return m_busy; }

    // Tests give the channel another port for plain addresses, a short
    // time-out, and trust in a throw-away certificate.
    void setDefaultPort(quint16 port) { m_defaultPort = port; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    void setIgnoreSslErrors(bool ignore);

    static constexpr int kMaxRedirects = 5;
    static constexpr int kDefaultTimeoutMs = 30000;

signals:
    // Panels 2 and 3 of the status bar.
    void statusText(int panel, const QString &text);
    void finished(qint64 bodyBytes);
    // startError: the fetch could not start at all.
    void failed(bool startError, int number, const QString &description);

private:
    void connectTo(const FetchAddress &address);
    void onData(qint64 bytesTotal);
    void onClosed();
    void onError(int number, const QString &description);
    void onTimeout();
    bool followRedirect();

    SocketControl *m_socket = nullptr;
    HttpResponseCounter m_counter;
    FetchAddress m_address;
    QTimer m_timer;
    QByteArray m_chunk; // reused for every read
    quint16 m_defaultPort = 80;
    int m_timeoutMs = kDefaultTimeoutMs;
    int m_redirects = 0;
    bool m_busy = false;
};
