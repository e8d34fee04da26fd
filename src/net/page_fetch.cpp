#include "net/page_fetch.h"

#include "net/connection_pool.h"
#include "net/fetch_error.h"
#include "net/socket_control.h"

namespace {
constexpr qsizetype kChunkSize = 64 * 1024;
}

PageFetch::PageFetch(QObject *parent)
    : QObject(parent)
    , m_ownPool(new ConnectionPool(this))
{
    m_timer.setSingleShot(true);
    m_deadline.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PageFetch::onTimeout);
    connect(&m_deadline, &QTimer::timeout, this, &PageFetch::onDeadline);
}

PageFetch::~PageFetch()
{
    abandon();
}

void PageFetch::setConnectionPool(ConnectionPool *pool)
{
    m_sharedPool = pool;
}

void PageFetch::takeSettingsOf(const PageFetch &other)
{
    m_defaultPort = other.m_defaultPort;
    m_timeoutMs = other.m_timeoutMs;
    m_deadlineMs = other.m_deadlineMs;
    m_maxBodyBytes = other.m_maxBodyBytes;
    m_ignoreSslErrors = other.m_ignoreSslErrors;
    m_sharedPool = other.m_sharedPool;
}

void PageFetch::start(const QString &address)
{
    m_redirects = 0;
    const FetchAddress a = parseFetchAddress(address, m_defaultPort);
    abandon();
    if (const FetchError::AddressFault fault = FetchError::addressFault(address, a); fault.number != 0) {
        emit failed(true, fault.number, fault.description);
        return;
    }
    request(a);
}

void PageFetch::abandon()
{
    m_timer.stop();
    m_deadline.stop();
    if (m_waiting && m_lender)
        m_lender->cancel(this);
    m_waiting = false;
    releaseConnection(m_counter.leavesConnectionReusable());
    m_busy = false;
}

void PageFetch::request(const FetchAddress &address)
{
    m_address = address;
    m_counter = HttpResponseCounter();
    m_counter.setBodySink(m_sink);
    m_busy = true;
    m_retried = false;
    emit stepChanged(Step::Connecting);
    askForConnection(false);
}

void PageFetch::askForConnection(bool fresh)
{
    m_lender = m_sharedPool ? m_sharedPool.get() : m_ownPool;
    m_waiting = true;
    const ConnectionKey key { m_address.hostName.toLower(), m_address.port, m_address.tls, m_ignoreSslErrors };
    m_lender->request(this, key, fresh, [this, fresh](SocketControl *connection) { onGranted(connection, fresh); });
}

void PageFetch::onGranted(SocketControl *connection, bool fresh)
{
    m_waiting = false;
    if (!connection) {
        // The shared pool went away while this channel waited.
        m_sharedPool = nullptr;
        askForConnection(fresh);
        return;
    }
    m_socket = connection;
    connect(m_socket, &SocketControl::connected, this, &PageFetch::sendRequest);
    connect(m_socket, &SocketControl::sendProgress, this, [this] { emit stepChanged(Step::Sending); });
    connect(m_socket, &SocketControl::sendComplete, this, [this] { emit stepChanged(Step::RequestSent); });
    connect(m_socket, &SocketControl::dataArrival, this, &PageFetch::onData);
    connect(m_socket, &SocketControl::closed, this, &PageFetch::onClosed);
    connect(m_socket, &SocketControl::error, this, &PageFetch::onError);
    // The time spent waiting for a connection is not the page's.
    if (!m_deadline.isActive())
        m_deadline.start(m_deadlineMs);
    m_timer.start(m_timeoutMs);
    m_answered = false;
    m_reused = m_socket->isOpen();
    if (m_reused) {
        sendRequest();
        return;
    }
    m_socket->setIgnoreSslErrors(m_ignoreSslErrors);
    m_socket->connectTo(m_address.hostName, m_address.port, m_address.tls);
}

void PageFetch::sendRequest()
{
    m_timer.start(m_timeoutMs);
    m_socket->sendData(buildRequest(m_address));
}

void PageFetch::releaseConnection(bool reusable)
{
    SocketControl *const connection = m_socket;
    if (!connection)
        return;
    m_socket = nullptr;
    connection->disconnect(this);
    if (m_lender) {
        m_lender->release(connection, reusable);
    } else {
        connection->close();
        connection->deleteLater();
    }
}

bool PageFetch::retryOnNewConnection()
{
    // A server may end a kept connection just as the request goes out; a
    // GET changes nothing on the server, so it is safe to send again.
    if (!m_reused || m_answered || m_retried)
        return false;
    m_retried = true;
    releaseConnection(false);
    askForConnection(true);
    return true;
}

bool PageFetch::tooLarge() const
{
    return m_counter.bodyBytes() > m_maxBodyBytes
        || (m_counter.framing() == HttpResponseCounter::Framing::Length && m_counter.declaredLength() > m_maxBodyBytes);
}

void PageFetch::onData(qint64)
{
    if (!m_busy)
        return;
    m_timer.start(m_timeoutMs);
    emit stepChanged(Step::Receiving);
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
        m_answered = true;
        m_counter.feed(m_chunk.constData(), n);
        if (m_counter.isComplete() || m_counter.isMalformed() || tooLarge()
            || (!wasDone && m_counter.headerDone() && m_counter.isRedirect()))
            break;
    }
    if (wasDone && total > 0)
        emit progress(m_counter.bodyBytes(), m_counter.contentLength());
    settle();
}

bool PageFetch::settle()
{
    if (m_counter.headerDone() && m_counter.isRedirect()) {
        // A redirect's own page is never measured: go on as soon as it is known.
        followRedirect();
        return true;
    }
    if (m_counter.isMalformed()) {
        fail(FetchError::MalformedResponse, FetchError::malformedResponseText());
        return true;
    }
    if (tooLarge()) {
        fail(FetchError::PageTooLarge, FetchError::pageTooLargeText(m_maxBodyBytes));
        return true;
    }
    // A complete page is counted at once, whether or not the server closes.
    if (m_counter.isComplete()) {
        finish();
        return true;
    }
    return false;
}

void PageFetch::followRedirect()
{
    if (m_redirects >= kMaxRedirects) {
        fail(FetchError::TooManyRedirects, FetchError::tooManyRedirectsText(kMaxRedirects));
        return;
    }
    const RedirectTarget next = resolveRedirect(m_address, m_counter.location(), m_defaultPort);
    if (!next.ok) {
        fail(FetchError::UnsupportedRedirect, FetchError::unsupportedRedirectText(next.refusal));
        return;
    }
    ++m_redirects;
    m_timer.stop();
    // A redirect whose whole answer came with its header leaves the
    // connection to carry the next request, if it goes to the same place.
    releaseConnection(m_counter.leavesConnectionReusable());
    request(next.next);
}

void PageFetch::onClosed()
{
    if (!m_busy)
        return;
    if (settle() || retryOnNewConnection())
        return;
    if (!m_counter.wholeAtClose()) {
        fail(FetchError::IncompletePage, FetchError::incompletePageText());
        return;
    }
    finish();
}

void PageFetch::finish()
{
    abandon();
    emit finished(m_counter.bodyBytes());
}

void PageFetch::fail(int number, const QString &description)
{
    abandon();
    emit failed(false, number, description);
}

void PageFetch::onError(int number, const QString &description)
{
    if (!retryOnNewConnection())
        fail(number, description);
}

void PageFetch::onTimeout()
{
    fail(FetchError::TimedOut, tr("The server did not answer for %1 seconds.").arg(m_timeoutMs / 1000.0));
}

void PageFetch::onDeadline()
{
    fail(FetchError::DeadlinePassed, FetchError::deadlineText(m_deadlineMs));
}
