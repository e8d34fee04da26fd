#pragma once

#include <QByteArray>
#include <QString>

// Counts an HTTP response as it arrives: finds the blank line that ends the
// header, reads Content-Length, the status and Location, and counts the body
// bytes without keeping them. Memory stays bounded by the header.
class HttpResponseCounter {
public:
    // Returns true when the arrival changed the progress text.
    bool feed(const char *data, qint64 size);
    bool feed(const QByteArray &data) { return feed(data.constData(), data.size()); }

    bool headerDone() const { return m_headerDone; }
    // Bytes after the blank line, or every byte while no blank line was seen.
    qint64 bodyBytes() const { return m_bodyBytes; }
    qint64 contentLength() const { return m_contentLength; }
    int statusCode() const { return m_status; }
    QString location() const { return m_location; }
    bool isRedirect() const;
    QString progressText() const { return m_progress; }

    static QString progressFor(qint64 bodyBytes, qint64 contentLength, const QString &previous);

private:
    void parseHeader(const QByteArray &header);

    // Headers beyond this are not kept; the blank line is still found.
    static constexpr qint64 kMaxHeaderKept = 1 << 20;

    QByteArray m_header;
    QByteArray m_tail; // last bytes of the previous arrival, for a split blank line
    qint64 m_received = 0;
    qint64 m_bodyBytes = 0;
    qint64 m_contentLength = 0;
    int m_status = 0;
    QString m_location;
    QString m_progress;
    bool m_headerDone = false;
};
