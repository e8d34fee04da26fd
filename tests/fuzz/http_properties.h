#pragma once

// What holds for any bytes a server or a Location may carry: the response
// counter reads a response the same however it is split, never counts more
// than arrived, and nothing reaches the request that could break its lines.
// The fuzz target and the regression test check the same properties.
#include "net/fetch_address.h"
#include "net/http_response_counter.h"

#include <QByteArray>
#include <QString>

namespace HttpProperties {

inline bool safeTarget(const QString &path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    for (const QChar c : path)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f || c == QLatin1Char('#'))
            return false;
    return requestTarget(path.toLatin1()) == path.toLatin1();
}

// Exactly the header lines the request has, each ended by CR LF.
inline bool wellFormedRequest(const QByteArray &request)
{
    if (!request.startsWith("GET /") || !request.endsWith("\r\n\r\n")
        || request.indexOf("\r\n\r\n") != request.size() - 4)
        return false;
    qsizetype lines = 0;
    for (qsizetype i = 0; i < request.size(); ++i) {
        if (request[i] == '\n') {
            if (i == 0 || request[i - 1] != '\r')
                return false;
            ++lines;
        } else if (request[i] == '\r' && (i + 1 == request.size() || request[i + 1] != '\n')) {
            return false;
        }
    }
    return lines == 5;
}

inline QString checkCounter(const QByteArray &response, unsigned seed)
{
    HttpResponseCounter whole;
    whole.feed(response);
    HttpResponseCounter split;
    unsigned state = seed * 2654435761u + 1;
    for (qsizetype at = 0; at < response.size();) {
        state = state * 1103515245u + 12345u;
        const qsizetype step = 1 + static_cast<qsizetype>((state >> 16) % 9);
        split.feed(response.mid(at, step));
        at += step;
    }
    if (whole.headerDone() != split.headerDone() || whole.bodyBytes() != split.bodyBytes()
        || whole.isComplete() != split.isComplete() || whole.isMalformed() != split.isMalformed()
        || whole.wholeAtClose() != split.wholeAtClose() || whole.statusCode() != split.statusCode()
        || whole.location() != split.location() || whole.framing() != split.framing()
        || whole.declaredLength() != split.declaredLength() || whole.contentLength() != split.contentLength()
        || whole.leavesConnectionReusable() != split.leavesConnectionReusable())
        return QStringLiteral("the split response reads differently");
    if (whole.bodyBytes() < 0 || whole.bodyBytes() > response.size())
        return QStringLiteral("more body bytes than arrived");
    if (whole.framing() == HttpResponseCounter::Framing::Length && whole.isComplete()
        && whole.bodyBytes() != whole.declaredLength())
        return QStringLiteral("a complete page differs from its length");
    if (whole.isComplete()) {
        const qint64 before = whole.bodyBytes();
        whole.feed(response);
        if (whole.bodyBytes() != before)
            return QStringLiteral("bytes after a complete page were counted");
        if (whole.leavesConnectionReusable())
            return QStringLiteral("a connection with bytes after the answer carries the next request");
    }
    return QString();
}

inline QString checkRedirect(const FetchAddress &base, const QByteArray &location)
{
    const RedirectTarget r = resolveRedirect(base, location, 8080);
    if (!r.ok)
        return r.refusal.isEmpty() ? QStringLiteral("a refusal without a reason") : QString();
    const FetchAddress &n = r.next;
    if (!safeTarget(n.path))
        return QStringLiteral("unsafe redirect target: ") + n.path;
    if (n.hostName.isEmpty() || n.port == 0)
        return QStringLiteral("a redirect to no host");
    for (const QChar c : n.host)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f || QStringLiteral("@/?#\\").contains(c))
            return QStringLiteral("unsafe redirect host: ") + n.host;
    if (base.tls && !n.tls)
        return QStringLiteral("a secure page led to an insecure one");
    if (!wellFormedRequest(buildRequest(n)))
        return QStringLiteral("a redirect broke the request");
    return QString();
}

inline QString checkAddress(const QString &address)
{
    const FetchAddress a = parseFetchAddress(address);
    if (!safeTarget(a.path))
        return QStringLiteral("unsafe target: ") + a.path;
    if (hasUsableHost(a) && !wellFormedRequest(buildRequest(a)))
        return QStringLiteral("an address broke the request");
    return QString();
}

// The first byte picks the split and the page the Location answers; the
// rest is the response, and its first line also the Location and an address.
inline QString check(const QByteArray &input)
{
    if (input.isEmpty())
        return QString();
    const auto selector = static_cast<unsigned char>(input[0]);
    const QByteArray rest = input.mid(1);
    QString problem = checkCounter(rest, selector);
    if (!problem.isEmpty())
        return problem;
    static const char *const bases[] = { "http://h/dir/page?q=1", "https://h:8443/a/b/", "http://[::1]:81/x" };
    const FetchAddress base = parseFetchAddress(QString::fromLatin1(bases[selector % 3]));
    const QByteArray firstLine = rest.left(rest.indexOf('\n') < 0 ? rest.size() : rest.indexOf('\n'));
    problem = checkRedirect(base, firstLine);
    if (problem.isEmpty()) {
        HttpResponseCounter c;
        c.feed(rest);
        problem = checkRedirect(base, c.location());
    }
    if (problem.isEmpty())
        problem = checkAddress(QString::fromUtf8(firstLine));
    return problem;
}

} // namespace HttpProperties
