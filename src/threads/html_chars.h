#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

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

// What follows "<!" or "<?", up to its end: a comment ends at "-->",
// anything else ("<!DOCTYPE html>", "<?xml ...?>") at the first ">".
class DeclarationEnd {
public:
    // Right after "<!" (bang) or "<?".
    void open(bool bang);
    // Returns the index just past the declaration's ">", or size with ended
    // false when it goes on into the next piece.
    qint64 scan(const char *data, qint64 i, qint64 size, bool &ended);

private:
    qint64 scanComment(const char *data, qint64 i, qint64 size, bool &ended);

    enum class State { Dashes, Comment, Other };
    State m_state = State::Other;
    int m_dashes = 0; // the "-" after "<!", then those just before the current byte
};

// The end tag that closes raw text, such as "</script" inside a script.
class RawTextEnd {
public:
    void open(QByteArrayView tagName);
    void restart() { m_matched = 0; }
    // Returns the index of the byte after the end tag's name (white space,
    // "/" or ">"), or size with ended false when the raw text goes on.
    qint64 scan(const char *data, qint64 i, qint64 size, bool &ended);

private:
    QByteArray m_end; // "</script"
    int m_matched = 0; // bytes of m_end matched so far
};

} // namespace HtmlChars
