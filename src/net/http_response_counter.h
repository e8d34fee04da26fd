#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Counts an HTTP response as it arrives: finds the blank line that ends the
// header, reads the status, Location and the framing of the body, and counts
// the body bytes without keeping them. Memory stays bounded by the header.
//
// The size of a page is the number of bytes after the header's blank line up
// to the end of the response. For a chunked body that includes the chunk
// framing (size lines, line ends, the last chunk and its trailer): sizes
// recorded before the framing was read counted every byte up to the server's
// close, so a page keeps measuring what it did. Bytes after the end of the
// response are not part of the page and are not counted.
class HttpResponseCounter {
public:
    enum class Framing {
        Unknown, // the header has not ended yet
        UntilClose, // the body ends when the server closes the connection
        Length, // Content-Length
        Chunked, // Transfer-Encoding: chunked
        NoBody, // 204 and 304 answers
    };

    // Sees the bytes of the page as they are counted: the body of the answer
    // that is measured, without chunk framing; never a redirect's own body.
    using BodySink = std::function<void(const char *data, qint64 size)>;
    void setBodySink(BodySink sink) { m_sink = std::move(sink); }

    void feed(const char *data, qint64 size);
    void feed(const QByteArray &data) { feed(data.constData(), data.size()); }

    bool headerDone() const { return m_headerDone; }
    // Bytes after the blank line, or every byte while no blank line was seen.
    qint64 bodyBytes() const { return m_bodyBytes; }
    // The figure of the progress text: the first header line naming
    // "Content-Length" in exactly this letter case, read after its first space.
    qint64 contentLength() const { return m_contentLength; }
    // The body length the header declares, read as HTTP reads it; -1 if none.
    qint64 declaredLength() const { return m_declaredLength; }
    int statusCode() const { return m_status; }
    QByteArray location() const { return m_location; }
    bool isRedirect() const;
    Framing framing() const { return m_framing; }

    // The whole response has arrived; later bytes are not counted.
    bool isComplete() const { return m_complete; }
    // The chunked framing cannot be read, so where the page ends is unknown.
    bool isMalformed() const { return m_malformed; }
    // Whether the server closing the connection now leaves a whole page.
    bool wholeAtClose() const;
    // The connection may carry the next request: the answer is whole by its
    // own framing, no error, nothing follows it, and the server keeps the
    // connection open (HTTP/1.1 unless it says "close", HTTP/1.0 only when it
    // says "keep-alive").
    bool leavesConnectionReusable() const;

    static QString progressFor(qint64 bodyBytes, qint64 contentLength, const QString &previous);

private:
    struct LineState {
        qint64 length = 0; // bytes of the current line so far, its LF not counted
        qint64 lines = 0; // lines ended so far
        bool onlyCR = false; // the current line is a lone CR so far
    };
    enum class ChunkState { SizeLine, Extension, Data, DataEnd, Trailer };

    // Bytes used through the first blank line, or -1 when there is none yet.
    static qint64 findBlankLine(LineState &state, const char *data, qint64 size, bool firstLineMayEnd);
    qint64 scanHeader(const char *data, qint64 size);
    void parseHeader();
    void resetHeader();
    qint64 countBody(const char *data, qint64 size);
    qint64 countChunked(const char *data, qint64 size);
    void endSizeLine();

    // Headers beyond this are not kept; the blank line is still found.
    static constexpr qint64 kMaxHeaderKept = 1 << 20;
    // Chunk extensions are not read, only skipped, up to this length.
    static constexpr qint64 kMaxChunkLine = 4096;

    BodySink m_sink;
    bool m_sinkOpen = false; // the body reaches the sink
    QByteArray m_header;
    QByteArray m_start; // the first bytes of the response
    LineState m_line;
    qint64 m_received = 0;
    qint64 m_bodyBytes = 0;
    qint64 m_contentLength = 0;
    qint64 m_declaredLength = -1;
    int m_status = 0;
    QByteArray m_location;
    Framing m_framing = Framing::Unknown;
    ChunkState m_chunkState = ChunkState::SizeLine;
    qint64 m_chunkLeft = 0;
    int m_chunkDigits = 0;
    bool m_chunkCR = false; // the CR after a chunk's data has arrived
    bool m_headerDone = false;
    bool m_interimSeen = false;
    bool m_lastChunkSeen = false;
    bool m_complete = false;
    bool m_malformed = false;
    bool m_excess = false; // bytes arrived after the end of the response
    bool m_persistent = false; // by the version and Connection header
};
