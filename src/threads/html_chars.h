#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <cstring>

// Characters as an HTML tokenizer sees them, byte by byte, and the ends of
// the runs a tokenizer skips whole, found across the pieces a page arrives in.
namespace HtmlChars {

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

inline char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The index of the first c in data from i on, or size when there is none.
inline qint64 indexOf(const char *data, qint64 i, qint64 size, char c)
{
    const auto *found = static_cast<const char *>(std::memchr(data + i, c, static_cast<size_t>(size - i)));
    return found ? found - data : size;
}

// Moves i past the next c, or to size; returns whether c was found.
inline bool skipPast(const char *data, qint64 &i, qint64 size, char c)
{
    i = indexOf(data, i, size, c);
    if (i == size)
        return false;
    ++i;
    return true;
}

// What follows "<!" or "<?", up to its end: a comment ends at "-->",
// anything else ("<!DOCTYPE html>", "<?xml ...?>") at the first ">".
class DeclarationEnd {
public:
    // Right after "<!" (bang) or "<?".
    void open(bool bang);
    // Moves i just past the declaration's ">" and returns true, or to size
    // when it goes on into the next piece.
    bool scan(const char *data, qint64 &i, qint64 size);

private:
    bool scanComment(const char *data, qint64 &i, qint64 size);

    enum class State { Dashes, Comment, Other };
    State m_state = State::Other;
    int m_dashes = 0; // the "-" after "<!", then those just before the current byte
};

// The end tag that closes raw text, such as "</script" inside a script.
class RawTextEnd {
public:
    void open(QByteArrayView tagName);
    void restart() { m_matched = 0; }
    // Moves i to the byte after the end tag's name (white space, "/" or ">")
    // and returns true, or to size when the raw text goes on.
    bool scan(const char *data, qint64 &i, qint64 size);

private:
    QByteArray m_end; // "</script"
    int m_matched = 0; // bytes of m_end matched so far
};

} // namespace HtmlChars
