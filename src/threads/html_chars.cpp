#include "threads/html_chars.h"

#include <cstring>

namespace HtmlChars {

void DeclarationEnd::open(bool bang)
{
    m_state = bang ? State::Dashes : State::Other;
    m_dashes = 0;
}

qint64 DeclarationEnd::scan(const char *data, qint64 i, qint64 size, bool &ended)
{
    ended = false;
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
        return i;
    if (m_state == State::Comment)
        return scanComment(data, i, size, ended);
    const auto *gt = static_cast<const char *>(std::memchr(data + i, '>', static_cast<size_t>(size - i)));
    if (!gt)
        return size;
    ended = true;
    return gt - data + 1;
}

qint64 DeclarationEnd::scanComment(const char *data, qint64 i, qint64 size, bool &ended)
{
    while (i < size) {
        const auto *gt = static_cast<const char *>(std::memchr(data + i, '>', static_cast<size_t>(size - i)));
        const qint64 end = gt ? gt - data : size;
        // The dashes right before the ">", or at the end of this piece.
        qint64 trailing = 0;
        while (trailing < end - i && data[end - 1 - trailing] == '-')
            ++trailing;
        const int dashes = trailing == end - i ? m_dashes + static_cast<int>(trailing) : static_cast<int>(trailing);
        if (!gt) {
            m_dashes = dashes;
            return size;
        }
        i = end + 1;
        m_dashes = 0;
        if (dashes >= 2) {
            ended = true;
            return i;
        }
    }
    return i;
}

void RawTextEnd::open(QByteArrayView tagName)
{
    m_end.resize(0);
    m_end.append("</").append(tagName);
    m_matched = 0;
}

qint64 RawTextEnd::scan(const char *data, qint64 i, qint64 size, bool &ended)
{
    ended = false;
    while (i < size) {
        if (m_matched == 0) {
            const auto *lt = static_cast<const char *>(std::memchr(data + i, '<', static_cast<size_t>(size - i)));
            if (!lt)
                return size;
            i = lt - data + 1;
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
            if (isSpace(c) || c == '/' || c == '>') {
                ended = true;
                return i;
            }
        }
    }
    return i;
}

} // namespace HtmlChars
