#include "threads/html_chars.h"

namespace HtmlChars {

void DeclarationEnd::open(bool bang)
{
    m_state = bang ? State::Dashes : State::Other;
    m_dashes = 0;
}

bool DeclarationEnd::scan(const char *data, qint64 &i, qint64 size)
{
    while (i < size && m_state == State::Dashes) {
        if (data[i] != '-') {
            m_state = State::Other;
            break;
        }
        ++i;
        // "<!-->" and "<!--->" are whole comments: the two dashes count.
        if (++m_dashes == 2)
            m_state = State::Comment;
    }
    if (i == size)
        return false;
    if (m_state == State::Comment)
        return scanComment(data, i, size);
    return skipPast(data, i, size, '>');
}

bool DeclarationEnd::scanComment(const char *data, qint64 &i, qint64 size)
{
    while (i < size) {
        const qint64 end = indexOf(data, i, size, '>');
        // The dashes right before the ">", or at the end of this piece.
        qint64 trailing = 0;
        while (trailing < end - i && data[end - 1 - trailing] == '-')
            ++trailing;
        const int dashes = trailing == end - i ? m_dashes + static_cast<int>(trailing) : static_cast<int>(trailing);
        if (end == size) {
            m_dashes = dashes;
            i = size;
            return false;
        }
        i = end + 1;
        m_dashes = 0;
        if (dashes >= 2)
            return true;
    }
    return false;
}

void RawTextEnd::open(QByteArrayView tagName)
{
    m_end.resize(0);
    m_end.append("</").append(tagName);
    m_matched = 0;
}

bool RawTextEnd::scan(const char *data, qint64 &at, qint64 size)
{
    // A local index stays in a register through the bytes of a script.
    qint64 i = at;
    bool ended = false;
    while (i < size && !ended) {
        if (m_matched == 0) {
            if (skipPast(data, i, size, '<'))
                m_matched = 1;
        } else if (m_matched < m_end.size()) {
            if (lower(data[i]) == m_end[m_matched]) {
                ++m_matched;
                ++i;
            } else {
                m_matched = 0;
            }
        } else {
            const char c = data[i];
            m_matched = 0;
            ended = isSpace(c) || c == '/' || c == '>';
        }
    }
    at = i;
    return ended;
}

} // namespace HtmlChars
