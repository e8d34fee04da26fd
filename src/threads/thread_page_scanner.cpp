#include "threads/thread_page_scanner.h"

#include "threads/html_chars.h"

namespace {

using HtmlChars::isSpace;
using HtmlChars::lower;

// A tag or attribute name ends at a space, "/", ">" or, for attributes, "=".
bool endsName(char c)
{
    return static_cast<unsigned char>(c) <= ' ' ? isSpace(c) : (c == '/' || c == '>' || c == '=');
}

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

ThreadPageScanner::ThreadPageScanner(LinkSink sink)
    : m_sink(std::move(sink))
{
}

void ThreadPageScanner::reset()
{
    m_state = State::Text;
    m_tag = Tag::Other;
    m_nameLength = 0;
    m_hrefView = {};
    m_relView = {};
    m_valuePending = false;
    m_rawEnd.open({});
    m_declaration = {};
    m_hasHref = false;
    m_hasRel = false;
}

void ThreadPageScanner::feed(const char *data, qint64 size)
{
    scan(data, size);
    // A value read in place must outlive the piece it was read from.
    auto keep = [&](QByteArrayView &view, QByteArray &buffer) {
        if (view.data() >= data && view.data() <= data + size) {
            buffer.resize(0);
            buffer.append(view);
            view = buffer;
        }
    };
    keep(m_hrefView, m_href);
    keep(m_relView, m_rel);
}

inline void ThreadPageScanner::appendName(char c)
{
    if (m_nameLength < kMaxName)
        m_name[m_nameLength++] = lower(c);
    else
        m_nameTooLong = true;
}

void ThreadPageScanner::scan(const char *data, qint64 size)
{
    qint64 i = 0;
    while (i < size) {
        const char c = data[i];
        switch (m_state) {
        case State::Text:
            i = scanText(data, i, size);
            break;
        case State::TagOpen:
            if (c == '!') {
                m_declaration.open(true);
                m_state = State::Declaration;
                ++i;
            } else if (c == '/') {
                // Only the end tag of a raw-text element matters, and that
                // one is found inside the raw text itself.
                m_state = State::InsideEndTag;
                ++i;
            } else if (isAlpha(c)) {
                beginTag();
                m_state = State::TagName;
            } else if (c == '?') {
                m_declaration.open(false);
                m_state = State::Declaration;
                ++i;
            } else {
                // A "<" that opens no tag is text.
                m_state = State::Text;
            }
            break;
        case State::Declaration:
            if (m_declaration.scan(data, i, size))
                m_state = State::Text;
            break;
        case State::InsideEndTag:
            if (HtmlChars::skipPast(data, i, size, '>'))
                m_state = State::Text;
            break;
        case State::TagName:
            while (i < size && !endsName(data[i]))
                appendName(data[i++]);
            if (i == size)
                return;
            if (data[i] != '=') {
                endTagName();
                // Most tags hold no link: only their end is looked for.
                const bool links = m_tag == Tag::Anchor || m_tag == Tag::LinkTag || m_tag == Tag::Base;
                m_lastNonSpace = 0;
                m_state = links ? State::BeforeAttributeName : State::SkipTag;
            } else {
                appendName('=');
                ++i;
            }
            break;
        case State::BeforeAttributeName:
        case State::AfterAttributeName:
            if (isSpace(c)) {
                ++i;
            } else if (c == '/') {
                m_state = State::SelfClosing;
                ++i;
            } else if (c == '>') {
                ++i;
                emitTag();
            } else if (c == '=' && m_state == State::AfterAttributeName) {
                m_state = State::BeforeAttributeValue;
                ++i;
            } else {
                beginAttribute();
                m_state = State::AttributeName;
            }
            break;
        case State::AttributeName: {
            // An attribute's name may begin with "=".
            if (m_nameLength == 0 && !m_nameTooLong && c == '=')
                appendName(data[i++]);
            while (i < size && !endsName(data[i]))
                appendName(data[i++]);
            if (i == size)
                return;
            const char end = data[i];
            endAttributeName();
            m_state = end == '=' ? State::BeforeAttributeValue : State::AfterAttributeName;
            if (end == '=' || isSpace(end))
                ++i;
            break;
        }
        case State::BeforeAttributeValue:
            if (isSpace(c)) {
                ++i;
            } else if (c == '"' || c == '\'') {
                m_quote = c;
                m_state = State::QuotedValue;
                ++i;
            } else if (c == '>') {
                endAttributeValue({});
                ++i;
                emitTag();
            } else {
                m_state = State::UnquotedValue;
            }
            break;
        case State::QuotedValue: {
            const qint64 end = HtmlChars::indexOf(data, i, size, m_quote);
            const QByteArrayView part(data + i, end - i);
            i = end;
            if (end < size) {
                ++i;
                endAttributeValue(part);
                m_state = State::BeforeAttributeName;
            } else {
                appendValue(part);
            }
            break;
        }
        case State::UnquotedValue: {
            qint64 end = i;
            while (end < size && !isSpace(data[end]) && data[end] != '>')
                ++end;
            const QByteArrayView part(data + i, end - i);
            i = end;
            if (end < size) {
                endAttributeValue(part);
                m_state = State::BeforeAttributeName;
            } else {
                appendValue(part);
            }
            break;
        }
        case State::SelfClosing:
            if (c == '>') {
                ++i;
                emitTag();
            } else {
                m_state = State::BeforeAttributeName;
            }
            break;
        case State::SkipTag:
            i = skipTag(data, i, size);
            break;
        case State::SkipQuoted:
            if (HtmlChars::skipPast(data, i, size, m_quote)) {
                m_lastNonSpace = m_quote;
                m_state = State::SkipTag;
            }
            break;
        case State::RawText:
            if (m_rawEnd.scan(data, i, size))
                m_state = State::InsideEndTag;
            break;
        }
    }
}

qint64 ThreadPageScanner::skipTag(const char *data, qint64 i, qint64 size)
{
    // A quote opens a value only right after "=": an apostrophe elsewhere is
    // part of a name or of an unquoted value.
    char last = m_lastNonSpace;
    while (i < size) {
        const char c = data[i++];
        if (c == '>') {
            emitTag();
            return i;
        }
        if ((c == '"' || c == '\'') && last == '=' && !HtmlChars::skipPast(data, i, size, c)) {
            m_quote = c;
            m_state = State::SkipQuoted;
            return size;
        }
        if (!isSpace(c))
            last = c;
    }
    m_lastNonSpace = last;
    return i;
}

qint64 ThreadPageScanner::scanText(const char *data, qint64 i, qint64 size)
{
    // The way most bytes go: text, tags without links and end tags, without
    // a turn through the state machine for each.
    while (i < size) {
        if (!HtmlChars::skipPast(data, i, size, '<'))
            return size;
        m_state = State::TagOpen;
        if (i == size)
            return i;
        const char c = data[i];
        if (c == '/') {
            ++i;
            m_state = State::InsideEndTag;
            while (i < size && data[i] != '>')
                ++i;
            if (i == size)
                return i;
            ++i;
            m_state = State::Text;
            continue;
        }
        if (!isAlpha(c))
            return i;
        beginTag();
        m_state = State::TagName;
        while (i < size && !endsName(data[i]))
            appendName(data[i++]);
        if (i == size || data[i] == '=')
            return i;
        endTagName();
        if (m_tag == Tag::Anchor || m_tag == Tag::LinkTag || m_tag == Tag::Base) {
            m_state = State::BeforeAttributeName;
            return i;
        }
        m_lastNonSpace = 0;
        m_state = State::SkipTag;
        i = skipTag(data, i, size);
        if (m_state != State::Text)
            return i;
    }
    return i;
}
