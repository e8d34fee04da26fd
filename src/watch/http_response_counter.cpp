#include "watch/http_response_counter.h"

#include <QList>

#include <cmath>
#include <cstring>

QString HttpResponseCounter::progressFor(qint64 bodyBytes, qint64 contentLength, const QString &previous)
{
    if (contentLength < 1)
        return QStringLiteral("Downloaded %1 bytes").arg(bodyBytes);
    // Rounded to the nearest integer, an exact half to the even neighbour.
    const double p = std::nearbyint(static_cast<double>(bodyBytes) / (static_cast<double>(contentLength) / 100.0));
    if (p < -32768.0 || p > 32767.0)
        return previous;
    return QStringLiteral("Downloaded %1 from %2 (%3%)").arg(bodyBytes).arg(contentLength).arg(static_cast<int>(p));
}

bool HttpResponseCounter::isRedirect() const
{
    return (m_status == 301 || m_status == 302 || m_status == 303 || m_status == 307 || m_status == 308)
        && !m_location.isEmpty();
}

bool HttpResponseCounter::feed(const char *data, qint64 size)
{
    if (size <= 0)
        return false;
    m_received += size;
    m_bodyBytes += size;
    if (m_headerDone) {
        const QString next = progressFor(m_bodyBytes, m_contentLength, m_progress);
        const bool changed = next != m_progress;
        m_progress = next;
        return changed;
    }
    // Look for CR LF CR LF in the new data only, with the last three bytes of
    // the earlier data in front in case the blank line is split.
    QByteArray window = m_tail;
    window.append(data, size);
    const qsizetype found = window.indexOf("\r\n\r\n");
    const qint64 windowStart = m_received - window.size(); // offset of window[0] in the response
    if (found < 0) {
        if (m_header.size() < kMaxHeaderKept)
            m_header.append(data, std::min<qint64>(size, kMaxHeaderKept - m_header.size()));
        m_tail = window.right(3);
        return false;
    }
    const qint64 headerEnd = windowStart + found; // bytes before the blank line
    m_headerDone = true;
    m_bodyBytes = m_received - headerEnd - 4;
    if (m_header.size() < kMaxHeaderKept) {
        const qint64 need = std::min<qint64>(headerEnd, kMaxHeaderKept) - m_header.size();
        if (need > 0)
            m_header.append(data, std::min<qint64>(need, size));
    }
    m_header.truncate(std::min<qint64>(headerEnd, m_header.size()));
    m_tail.clear();
    parseHeader(m_header);
    m_header.clear();
    m_header.squeeze();
    return false;
}

void HttpResponseCounter::parseHeader(const QByteArray &header)
{
    const QList<QByteArray> lines = header.split('\n');
    bool lengthSeen = false;
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (i == 0) {
            // "HTTP/1.1 200 OK"
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() >= 2 && parts[0].startsWith("HTTP/"))
                m_status = parts[1].toInt();
            continue;
        }
        // Only the first line naming Content-Length, written in exactly this
        // case, counts; its value is the text after the line's first space.
        if (!lengthSeen && line.contains("Content-Length")) {
            lengthSeen = true;
            const qsizetype space = line.indexOf(' ');
            if (space >= 0) {
                bool ok = false;
                const qint64 v = line.mid(space + 1).trimmed().toLongLong(&ok);
                if (ok)
                    m_contentLength = v;
            }
        }
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "location")
            m_location = QString::fromLatin1(line.mid(colon + 1).trimmed());
    }
}
