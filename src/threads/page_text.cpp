#include "threads/page_text.h"

#include "threads/html_chars.h"

#include <QString>

#include <cstring>
#include <utility>

namespace {

using HtmlChars::isSpace;
using HtmlChars::lower;

enum class Kind { Inline, Block, Raw };

// What an element does to the text: blocks end lines, raw ones hold no
// text a reader sees. Names are lower case.
Kind kindOf(const char *name, int length)
{
    auto is = [&](const char *word) { return std::memcmp(name, word, static_cast<size_t>(length)) == 0; };
    switch (length) {
    case 1:
        return name[0] == 'p' ? Kind::Block : Kind::Inline;
    case 2:
        if (name[0] == 'h' && name[1] >= '1' && name[1] <= '6')
            return Kind::Block;
        return is("br") || is("dd") || is("dl") || is("dt") || is("hr") || is("li") || is("ol") || is("td") || is("th")
                || is("tr") || is("ul")
            ? Kind::Block
            : Kind::Inline;
    case 3:
        if (is("xmp"))
            return Kind::Raw;
        return is("div") || is("nav") || is("pre") || is("dir") ? Kind::Block : Kind::Inline;
    case 4:
        return is("form") || is("main") || is("menu") || is("body") || is("html") ? Kind::Block : Kind::Inline;
    case 5:
        if (is("style") || is("title"))
            return Kind::Raw;
        return is("table") || is("tbody") || is("thead") || is("tfoot") || is("aside") ? Kind::Block : Kind::Inline;
    case 6:
        if (is("script") || is("iframe"))
            return Kind::Raw;
        return is("center") || is("dialog") || is("figure") || is("footer") || is("header") || is("hgroup")
                || is("legend") || is("option") || is("select")
            ? Kind::Block
            : Kind::Inline;
    case 7:
        if (is("noembed"))
            return Kind::Raw;
        return is("address") || is("article") || is("caption") || is("details") || is("section") || is("summary")
            ? Kind::Block
            : Kind::Inline;
    case 8:
        if (is("noscript") || is("textarea") || is("template") || is("noframes"))
            return Kind::Raw;
        return is("fieldset") || is("frameset") || is("optgroup") ? Kind::Block : Kind::Inline;
    case 9:
        return is("plaintext") ? Kind::Raw : Kind::Inline;
    case 10:
        return is("blockquote") || is("figcaption") ? Kind::Block : Kind::Inline;
    default:
        return Kind::Inline;
    }
}

// Bytes that stop a run of text.
struct TextStops {
    bool stops[256] = {};
    constexpr TextStops()
    {
        for (const char c : { '<', '&', ' ', '\t', '\n', '\r', '\f' })
            stops[static_cast<unsigned char>(c)] = true;
    }
};
constexpr TextStops kStops;

bool isReferenceChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#';
}

void appendUtf8(QByteArray &out, char32_t code)
{
    out += QString::fromUcs4(&code, 1).toUtf8();
}

// The character a reference names: 0 for none, a space for the no-break ones.
char32_t referenceCode(QByteArrayView name)
{
    if (name.startsWith('#')) {
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        bool ok = false;
        const uint code = name.sliced(hex ? 2 : 1).toByteArray().toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return 0;
        return code == 0xA0 ? U' ' : char32_t(code);
    }
    static const struct {
        const char *name;
        char32_t code;
    } named[] = { { "amp", U'&' }, { "lt", U'<' }, { "gt", U'>' }, { "quot", U'"' }, { "apos", U'\'' },
        { "nbsp", U' ' }, { "copy", 0xA9 }, { "reg", 0xAE }, { "trade", 0x2122 }, { "hellip", 0x2026 },
        { "mdash", 0x2014 }, { "ndash", 0x2013 }, { "laquo", 0xAB }, { "raquo", 0xBB }, { "middot", 0xB7 },
        { "bull", 0x2022 }, { "lsquo", 0x2018 }, { "rsquo", 0x2019 }, { "ldquo", 0x201C }, { "rdquo", 0x201D },
        { "times", 0xD7 }, { "euro", 0x20AC }, { "pound", 0xA3 } };
    for (const auto &n : named)
        if (name == n.name)
            return n.code;
    return 0;
}

} // namespace

PageText::PageText()
    : m_text(kStartBuffer, Qt::Uninitialized)
{
}

QByteArray PageText::take(bool *cut)
{
    if (m_state == State::Reference)
        endReference(false);
    endLine();
    if (cut)
        *cut = m_cut;
    QByteArray text;
    if (m_length > kStartBuffer) {
        // A long text is handed over, not copied; the next page starts small.
        text = std::exchange(m_text, QByteArray(kStartBuffer, Qt::Uninitialized));
        text.truncate(m_length);
    } else {
        text = QByteArray(m_text.constData(), m_length);
    }
    m_length = 0;
    m_state = State::Text;
    m_nameLength = 0;
    m_referenceLength = 0;
    m_rawEnd.restart();
    m_rawTag = false;
    m_space = false;
    m_lineHasText = false;
    m_cut = false;
    return text;
}

void PageText::feed(const char *data, qint64 size)
{
    if (!m_cut)
        scan(data, size);
}

void PageText::appendRun(const char *data, qint64 size)
{
    if (size <= 0 || m_cut)
        return;
    const qint64 space = m_space && m_lineHasText ? 1 : 0;
    if (m_length + space + size > kMaxPageText) {
        size = kMaxPageText - m_length - space;
        m_cut = true;
        if (size <= 0)
            return;
    }
    // Written in place: the buffer only grows, up to the cap and a line end,
    // and is reused from page to page.
    if (m_length + space + size + 1 > m_text.size())
        m_text.resize(std::min(kMaxPageText + 1, std::max(m_text.size() * 2, m_length + space + size + 1)));
    char *out = m_text.data() + m_length;
    if (space)
        *out++ = ' ';
    std::memcpy(out, data, static_cast<size_t>(size));
    m_length = out + size - m_text.constData();
    m_space = false;
    m_lineHasText = true;
}

void PageText::endLine()
{
    // appendRun leaves room for the line end.
    if (m_lineHasText)
        m_text.data()[m_length++] = '\n';
    m_lineHasText = false;
    m_space = false;
}

void PageText::endTagName(bool endTag)
{
    m_rawTag = false;
    const Kind kind = m_nameLength < kMaxName ? kindOf(m_name, m_nameLength) : Kind::Inline;
    if (kind == Kind::Block) {
        endLine();
    } else if (kind == Kind::Raw && !endTag) {
        m_rawTag = true;
        m_rawEnd.open(QByteArrayView(m_name, m_nameLength));
    }
    m_lastInTag = 0;
    m_state = State::Attributes;
}

void PageText::endReference(bool terminated)
{
    const QByteArrayView name(m_reference, m_referenceLength);
    const char32_t code = terminated ? referenceCode(name) : 0;
    m_state = State::Text;
    if (code == U' ') {
        space();
    } else if (code != 0) {
        QByteArray bytes;
        appendUtf8(bytes, code);
        appendRun(bytes.constData(), bytes.size());
    } else {
        // Not a reference: the text as written.
        QByteArray literal = "&" + name.toByteArray();
        if (terminated)
            literal += ';';
        appendRun(literal.constData(), literal.size());
    }
    m_referenceLength = 0;
}

qint64 PageText::scanText(const char *data, qint64 i, qint64 size)
{
    auto stops = [](char c) { return kStops.stops[static_cast<unsigned char>(c)]; };
    while (i < size) {
        // A run of text, with the single spaces between its words.
        qint64 end = i;
        for (;;) {
            while (end < size && !stops(data[end]))
                ++end;
            if (end + 1 < size && data[end] == ' ' && end > i && !stops(data[end + 1]))
                ++end;
            else
                break;
        }
        appendRun(data + i, end - i);
        if (end == size)
            return size;
        const char c = data[end];
        i = end + 1;
        if (c == '<') {
            m_state = State::TagOpen;
            return i;
        }
        if (c == '&') {
            m_referenceLength = 0;
            m_state = State::Reference;
            return i;
        }
        space();
    }
    return i;
}

void PageText::scan(const char *data, qint64 size)
{
    qint64 i = 0;
    while (i < size && !m_cut) {
        const char c = data[i];
        switch (m_state) {
        case State::Text:
            i = scanText(data, i, size);
            break;
        case State::Reference:
            if (c == ';') {
                ++i;
                endReference(true);
            } else if (isReferenceChar(c) && m_referenceLength < kMaxReference) {
                m_reference[m_referenceLength++] = c;
                ++i;
            } else {
                endReference(false);
            }
            break;
        case State::TagOpen:
            if (c == '/') {
                m_nameLength = 0;
                m_state = State::EndTagName;
                ++i;
            } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                m_nameLength = 0;
                m_state = State::TagName;
            } else if (c == '!') {
                m_declaration.open(true);
                m_state = State::Declaration;
                ++i;
            } else if (c == '?') {
                m_declaration.open(false);
                m_state = State::Declaration;
                ++i;
            } else {
                // A "<" that opens no tag is text.
                m_state = State::Text;
                appendRun("<", 1);
            }
            break;
        case State::TagName:
        case State::EndTagName: {
            const bool endTag = m_state == State::EndTagName;
            while (i < size && !isSpace(data[i]) && data[i] != '/' && data[i] != '>') {
                if (m_nameLength < kMaxName)
                    m_name[m_nameLength++] = lower(data[i]);
                ++i;
            }
            if (i < size)
                endTagName(endTag);
            break;
        }
        case State::Attributes: {
            // A quote opens a value only right after "=".
            while (i < size && m_state == State::Attributes) {
                const char t = data[i++];
                if (t == '>') {
                    m_state = m_rawTag ? State::RawText : State::Text;
                    m_rawEnd.restart();
                } else if ((t == '"' || t == '\'') && m_lastInTag == '=') {
                    m_quote = t;
                    m_state = State::Quoted;
                } else if (!isSpace(t)) {
                    m_lastInTag = t;
                }
            }
            break;
        }
        case State::Quoted:
            if (HtmlChars::skipPast(data, i, size, m_quote)) {
                m_lastInTag = m_quote;
                m_state = State::Attributes;
            }
            break;
        case State::Declaration:
            if (m_declaration.scan(data, i, size))
                m_state = State::Text;
            break;
        case State::RawText:
            if (m_rawEnd.scan(data, i, size)) {
                m_lastInTag = 0;
                m_rawTag = false;
                m_state = State::Attributes;
            }
            break;
        }
    }
}
