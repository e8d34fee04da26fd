#include "net/http_response_counter.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A decimal number of digits only, as HTTP writes a length.
qint64 lengthValue(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 18)
        return -1;
    qint64 v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

} // namespace

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

bool HttpResponseCounter::wholeAtClose() const
{
    if (m_malformed)
        return false;
    if (!m_headerDone) {
        // Bytes that never began an HTTP answer are measured whole; a cut
        // HTTP header, or no answer at all, is no page.
        return m_received > 0 && !m_interimSeen && !QByteArrayLiteral("HTTP/").startsWith(m_start);
    }
    switch (m_framing) {
    case Framing::UntilClose:
    case Framing::NoBody:
        return true;
    case Framing::Length:
        return m_complete;
    case Framing::Chunked:
        // The trailer after the last chunk carries nothing of the page.
        return m_lastChunkSeen;
    case Framing::Unknown:
        break;
    }
    return false;
}

bool HttpResponseCounter::leavesConnectionReusable() const
{
    // A body that ends at the close, or an answer whose end is in doubt,
    // leaves the stream out of step with the next request.
    const bool framed = m_framing == Framing::Length || m_framing == Framing::Chunked || m_framing == Framing::NoBody;
    return m_complete && framed && !m_malformed && !m_excess && m_persistent && m_status < 400;
}

void HttpResponseCounter::feed(const char *data, qint64 size)
{
    if (size <= 0 || m_malformed)
        return;
    if (m_complete) {
        m_excess = true;
        return;
    }
    if (m_start.size() < 5)
        m_start.append(data, std::min<qint64>(size, 5 - m_start.size()));
    m_received += size;
    qint64 used = 0;
    while (!m_headerDone && used < size)
        used += scanHeader(data + used, size - used);
    if (m_headerDone && used < size) {
        used += countBody(data + used, size - used);
        m_excess = m_complete && used < size;
    }
}

qint64 HttpResponseCounter::findBlankLine(LineState &state, const char *data, qint64 size, bool firstLineMayEnd)
{
    qint64 i = 0;
    while (i < size) {
        const auto *nl = static_cast<const char *>(std::memchr(data + i, '\n', static_cast<size_t>(size - i)));
        const qint64 end = nl ? nl - data : size;
        const qint64 piece = end - i;
        if (piece > 0) {
            state.onlyCR = state.length == 0 && piece == 1 && data[i] == '\r';
            state.length += piece;
        }
        if (!nl)
            return -1;
        // A line of nothing, or of a lone CR, is blank: LF alone ends a line
        // as well as CR LF does.
        const bool blank = state.length == 0 || (state.length == 1 && state.onlyCR);
        state.length = 0;
        state.onlyCR = false;
        i = end + 1;
        if (blank && (state.lines > 0 || firstLineMayEnd))
            return i;
        ++state.lines;
    }
    return -1;
}

qint64 HttpResponseCounter::scanHeader(const char *data, qint64 size)
{
    const qint64 found = findBlankLine(m_line, data, size, false);
    const qint64 used = found < 0 ? size : found;
    if (m_header.size() < kMaxHeaderKept)
        m_header.append(data, std::min<qint64>(used, kMaxHeaderKept - m_header.size()));
    if (found < 0) {
        m_bodyBytes += used;
        return used;
    }
    m_headerDone = true;
    m_bodyBytes = 0;
    parseHeader();
    if (m_status >= 100 && m_status < 200 && m_status != 101) {
        // An interim answer ("100 Continue", "103 Early Hints"): the real
        // one follows on the same connection.
        m_interimSeen = true;
        resetHeader();
    }
    return used;
}

void HttpResponseCounter::resetHeader()
{
    m_header.clear();
    m_line = LineState();
    m_headerDone = false;
    m_status = 0;
    m_contentLength = 0;
    m_declaredLength = -1;
    m_location.clear();
    m_framing = Framing::Unknown;
    m_complete = false;
    m_sinkOpen = false;
}

void HttpResponseCounter::parseHeader()
{
    const QList<QByteArray> lines = m_header.split('\n');
    m_header.clear();
    m_header.squeeze();
    bool lengthSeen = false;
    bool lengthInvalid = false;
    bool close = false;
    bool keepAlive = false;
    QByteArray version;
    bool encodingSeen = false;
    QByteArray lastCoding;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (i == 0) {
            // "HTTP/1.1 200 OK"
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() >= 2 && parts[0].startsWith("HTTP/")) {
                m_status = parts[1].toInt();
                version = parts[0].mid(5);
            }
            continue;
        }
        // The progress text reads only the first line naming Content-Length
        // in exactly this case, taking the text after the line's first space.
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
        if (colon <= 0 || line[0] == ' ' || line[0] == '\t')
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "location") {
            m_location = value;
        } else if (name == "content-length") {
            // The framing reads the header as HTTP does: any letter case, and
            // a repeated length must agree with itself.
            for (const QByteArray &item : value.split(',')) {
                const qint64 v = lengthValue(item.trimmed());
                if (v < 0 || (m_declaredLength >= 0 && v != m_declaredLength))
                    lengthInvalid = true;
                else
                    m_declaredLength = v;
            }
        } else if (name == "connection") {
            for (const QByteArray &item : value.split(',')) {
                const QByteArray option = item.trimmed().toLower();
                close = close || option == "close";
                keepAlive = keepAlive || option == "keep-alive";
            }
        } else if (name == "transfer-encoding") {
            encodingSeen = true;
            for (const QByteArray &item : value.split(',')) {
                const QByteArray coding = item.split(';').first().trimmed().toLower();
                if (!coding.isEmpty())
                    lastCoding = coding;
            }
        }
    }
    if (lengthInvalid)
        m_declaredLength = -1;
    m_persistent = !close && (version == "1.1" || (version == "1.0" && keepAlive));
    if (m_status == 204 || m_status == 304 || (m_status >= 100 && m_status < 200 && m_status != 101)) {
        m_framing = Framing::NoBody;
    } else if (encodingSeen) {
        // Any other transfer coding last leaves the end to the server's close.
        m_framing = lastCoding == "chunked" ? Framing::Chunked : Framing::UntilClose;
    } else if (m_declaredLength >= 0) {
        m_framing = Framing::Length;
    } else {
        m_framing = Framing::UntilClose;
    }
    m_complete = m_framing == Framing::NoBody || (m_framing == Framing::Length && m_declaredLength == 0);
    m_sinkOpen = m_sink && !isRedirect();
}

qint64 HttpResponseCounter::countBody(const char *data, qint64 size)
{
    qint64 used = 0;
    switch (m_framing) {
    case Framing::UntilClose:
        used = size;
        if (m_sinkOpen)
            m_sink(data, used);
        break;
    case Framing::Length:
        used = std::min(size, m_declaredLength - m_bodyBytes);
        if (m_sinkOpen && used > 0)
            m_sink(data, used);
        break;
    case Framing::Chunked:
        used = countChunked(data, size);
        break;
    case Framing::NoBody:
    case Framing::Unknown:
        break;
    }
    m_bodyBytes += used;
    if (m_framing == Framing::Length && m_bodyBytes == m_declaredLength)
        m_complete = true;
    return used;
}

void HttpResponseCounter::endSizeLine()
{
    m_line = LineState();
    if (m_chunkLeft == 0) {
        m_lastChunkSeen = true;
        m_chunkState = ChunkState::Trailer;
    } else {
        m_chunkState = ChunkState::Data;
    }
}

qint64 HttpResponseCounter::countChunked(const char *data, qint64 size)
{
    qint64 i = 0;
    while (i < size && !m_complete && !m_malformed) {
        switch (m_chunkState) {
        case ChunkState::SizeLine: {
            const char c = data[i++];
            const int digit = hexValue(c);
            if (digit >= 0) {
                // Fifteen hex digits already exceed any page; a sixteenth
                // would not even fit the count.
                if (++m_chunkDigits > 15) {
                    m_malformed = true;
                    break;
                }
                m_chunkLeft = m_chunkLeft * 16 + digit;
            } else if (m_chunkDigits == 0) {
                m_malformed = true;
            } else if (c == '\n') {
                endSizeLine();
            } else if (c == ';' || c == ' ' || c == '\t' || c == '\r') {
                m_chunkState = ChunkState::Extension;
                m_line = LineState();
            } else {
                m_malformed = true;
            }
            break;
        }
        case ChunkState::Extension: {
            const auto *nl = static_cast<const char *>(std::memchr(data + i, '\n', static_cast<size_t>(size - i)));
            const qint64 end = nl ? nl - data : size;
            m_line.length += end - i;
            i = nl ? end + 1 : size;
            if (m_line.length > kMaxChunkLine)
                m_malformed = true;
            else if (nl)
                endSizeLine();
            break;
        }
        case ChunkState::Data: {
            const qint64 take = std::min(m_chunkLeft, size - i);
            if (m_sinkOpen && take > 0)
                m_sink(data + i, take);
            i += take;
            m_chunkLeft -= take;
            if (m_chunkLeft == 0) {
                m_chunkState = ChunkState::DataEnd;
                m_chunkCR = false;
            }
            break;
        }
        case ChunkState::DataEnd: {
            const char c = data[i++];
            if (c == '\r' && !m_chunkCR) {
                m_chunkCR = true;
            } else if (c == '\n') {
                m_chunkState = ChunkState::SizeLine;
                m_chunkDigits = 0;
            } else {
                m_malformed = true;
            }
            break;
        }
        case ChunkState::Trailer: {
            const qint64 found = findBlankLine(m_line, data + i, size - i, true);
            if (found < 0) {
                i = size;
            } else {
                i += found;
                m_complete = true;
            }
            break;
        }
        }
    }
    return i;
}
