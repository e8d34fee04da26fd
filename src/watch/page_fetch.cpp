#include "watch/page_fetch.h"

#include "platform/socket_control.h"

#include <QUrl>

FetchAddress parseFetchAddress(const QString &address, quint16 defaultPort)
{
    FetchAddress a;
    QString s = address;
    a.port = defaultPort;
    if (s.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        s = s.mid(7);
    } else if (s.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        s = s.mid(8);
        a.tls = true;
        a.port = 443;
    }
    if (!s.contains(QLatin1Char('/')))
        s += QLatin1Char('/');
    const qsizetype slash = s.indexOf(QLatin1Char('/'));
    a.host = s.left(slash);
    a.path = s.mid(slash);
    a.hostName = a.host;
    // A port written after the host is used; the Host header keeps it.
    const qsizetype colon = a.host.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && !a.host.endsWith(QLatin1Char(']'))) {
        bool ok = false;
        const uint port = a.host.mid(colon + 1).toUInt(&ok);
        if (ok && port > 0 && port < 65536) {
            a.port = static_cast<quint16>(port);
            a.hostName = a.host.left(colon);
        }
    }
    if (a.hostName.startsWith(QLatin1Char('[')) && a.hostName.endsWith(QLatin1Char(']')))
        a.hostName = a.hostName.mid(1, a.hostName.size() - 2);
    return a;
}

QByteArray buildRequest(const FetchAddress &address)
{
    QByteArray r;
    r += "GET " + address.path.toUtf8() + " HTTP/1.1\r\n";
    r += "Host: " + address.host.toUtf8() + "\r\n";
    r += "Connection: close\r\n";
    r += "Accept: */*\r\n";
    r += "\r\n";
    return r;
}

namespace {
constexpr qsizetype kChunkSize = 64 * 1024;
}

PageFetch::PageFetch(QObject *parent)
    : QObject(parent)
    , m_socket(new SocketControl(this))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PageFetch::onTimeout);
    connect(m_socket, &SocketControl::connected, this, [this] {
        m_timer.start(m_timeoutMs);
        m_socket->sendData(buildRequest(m_address));
    });
    connect(m_socket, &SocketControl::sendProgress, this,
        [this] { emit statusText(2, QStringLiteral("Sending request")); });
    connect(m_socket, &SocketControl::sendComplete, this,
        [this] { emit statusText(2, QStringLiteral("Request completed")); });
    connect(m_socket, &SocketControl::dataArrival, this, &PageFetch::onData);
    connect(m_socket, &SocketControl::closed, this, &PageFetch::onClosed);
    connect(m_socket, &SocketControl::error, this, &PageFetch::onError);
}

PageFetch::~PageFetch() = default;

void PageFetch::setIgnoreSslErrors(bool ignore)
{
    m_socket->setIgnoreSslErrors(ignore);
}

void PageFetch::start(const QString &address)
{
    m_redirects = 0;
    const FetchAddress a = parseFetchAddress(address, m_defaultPort);
    emit statusText(3, QString());
    abandon();
    if (a.hostName.trimmed().isEmpty()) {
        emit failed(true, 10049, tr("The address \"%1\" names no host.").arg(address));
        return;
    }
    connectTo(a);
}

void PageFetch::abandon()
{
    m_timer.stop();
    m_socket->close();
    m_busy = false;
}

void PageFetch::connectTo(const FetchAddress &address)
{
    m_address = address;
    m_counter = HttpResponseCounter();
    m_busy = true;
    emit statusText(2, QStringLiteral("Connecting to the web server"));
    m_timer.start(m_timeoutMs);
    m_socket->connectTo(address.hostName, address.port, address.tls);
}

void PageFetch::onData(qint64)
{
    m_timer.start(m_timeoutMs);
    emit statusText(2, QStringLiteral("Receiving response"));
    const bool wasDone = m_counter.headerDone();
    if (m_chunk.size() != kChunkSize)
        m_chunk.resize(kChunkSize);
    // Counted as it comes, through one buffer: the body is never kept.
    qint64 total = 0;
    for (;;) {
        const qint64 n = m_socket->read(m_chunk.data(), m_chunk.size());
        if (n <= 0)
            break;
        total += n;
        m_counter.feed(m_chunk.constData(), n);
        if (!wasDone && m_counter.headerDone() && m_counter.isRedirect())
            break;
    }
    if (wasDone && total > 0)
        emit statusText(3, m_counter.progressText());
    // A redirect's own page is never measured: go on as soon as it is known.
    if (!wasDone && m_counter.headerDone() && m_counter.isRedirect())
        followRedirect();
}

bool PageFetch::followRedirect()
{
    if (!m_counter.isRedirect() || m_redirects >= kMaxRedirects)
        return false;
    const QString scheme = m_address.tls ? QStringLiteral("https://") : QStringLiteral("http://");
    const QUrl base(scheme + m_address.host + m_address.path);
    const QUrl next = base.resolved(QUrl(m_counter.location()));
    if (!next.isValid() || next.host().isEmpty())
        return false;
    ++m_redirects;
    m_timer.stop();
    m_socket->close();
    QString address = next.toString(QUrl::FullyEncoded);
    FetchAddress a = parseFetchAddress(address, m_defaultPort);
    // A redirect to the same host without a port keeps the channel's port.
    if (next.port() < 0 && !a.tls && a.hostName == m_address.hostName && !m_address.tls)
        a.port = m_address.port;
    connectTo(a);
    return true;
}

void PageFetch::onClosed()
{
    m_timer.stop();
    if (followRedirect())
        return;
    m_busy = false;
    m_socket->close();
    emit finished(m_counter.bodyBytes());
}

void PageFetch::onError(int number, const QString &description)
{
    m_timer.stop();
    m_busy = false;
    m_socket->close();
    emit failed(false, number, description);
}

void PageFetch::onTimeout()
{
    m_busy = false;
    m_socket->close();
    emit failed(
        false, SocketControl::TimedOut, tr("The server did not answer for %1 seconds.").arg(m_timeoutMs / 1000.0));
}
