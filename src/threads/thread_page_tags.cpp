// The tags and attributes half of ThreadPageScanner: what a tag is, which
// of its attributes are kept, and the link it makes. The scanning of text,
// comments and raw text is in thread_page_scanner.cpp.
#include "threads/thread_page_scanner.h"

#include <QString>

#include "threads/html_chars.h"

#include <cstring>

namespace {

using HtmlChars::isSpace;
using HtmlChars::lower;

bool relHasNext(QByteArrayView rel)
{
    qsizetype i = 0;
    while (i < rel.size()) {
        while (i < rel.size() && isSpace(rel[i]))
            ++i;
        const qsizetype start = i;
        while (i < rel.size() && !isSpace(rel[i]))
            ++i;
        if (i - start == 4 && lower(rel[start]) == 'n' && lower(rel[start + 1]) == 'e' && lower(rel[start + 2]) == 'x'
            && lower(rel[start + 3]) == 't')
            return true;
    }
    return false;
}

} // namespace

void ThreadPageScanner::beginTag()
{
    m_tag = Tag::Other;
    m_nameLength = 0;
    m_nameTooLong = false;
    m_hasHref = false;
    m_hasRel = false;
    m_hrefView = {};
    m_relView = {};
}

void ThreadPageScanner::endTagName()
{
    m_tag = Tag::Other;
    if (m_nameTooLong)
        return;
    const QByteArrayView n = name();
    auto is = [&n](const char *word) { return std::memcmp(n.data(), word, static_cast<size_t>(n.size())) == 0; };
    switch (n.size()) {
    case 1:
        if (n[0] == 'a')
            m_tag = Tag::Anchor;
        break;
    case 3:
        if (is("xmp"))
            m_tag = Tag::RawText;
        break;
    case 4:
        m_tag = is("area") ? Tag::Anchor : is("link") ? Tag::LinkTag : is("base") ? Tag::Base : Tag::Other;
        break;
    case 5:
        if (is("style") || is("title"))
            m_tag = Tag::RawText;
        break;
    case 6:
        if (is("script") || is("iframe"))
            m_tag = Tag::RawText;
        break;
    case 7:
        if (is("noembed"))
            m_tag = Tag::RawText;
        break;
    case 8:
        if (is("noscript") || is("textarea") || is("noframes"))
            m_tag = Tag::RawText;
        break;
    case 9:
        if (is("plaintext"))
            m_tag = Tag::RawText;
        break;
    default:
        break;
    }
    if (m_tag == Tag::RawText) {
        m_rawEnd.open(n);
    }
}

void ThreadPageScanner::beginAttribute()
{
    m_nameLength = 0;
    m_nameTooLong = false;
    m_attribute = Attribute::Other;
}

void ThreadPageScanner::endAttributeName()
{
    m_attribute = Attribute::Other;
    m_valueTooLong = false;
    m_valuePending = false;
    // Only the links of link tags are kept; the first href and rel count, as in browsers.
    if (m_nameTooLong || m_tag == Tag::Other || m_tag == Tag::RawText)
        return;
    const QByteArrayView n = name();
    if (n == "href" && !m_hasHref)
        m_attribute = Attribute::Href;
    else if (n == "rel" && !m_hasRel)
        m_attribute = Attribute::Rel;
}

void ThreadPageScanner::appendValue(QByteArrayView part)
{
    if (m_attribute == Attribute::Other || m_valueTooLong)
        return;
    // A value cut by the end of a piece waits in its buffer for the rest.
    QByteArray &value = m_attribute == Attribute::Href ? m_href : m_rel;
    if (!m_valuePending)
        value.resize(0);
    m_valuePending = true;
    const int limit = m_attribute == Attribute::Href ? kMaxHref : kMaxRel;
    if (value.size() + part.size() > limit) {
        m_valueTooLong = true;
        value.resize(0);
        return;
    }
    value.append(part);
}

void ThreadPageScanner::endAttributeValue(QByteArrayView last)
{
    if (m_attribute == Attribute::Other)
        return;
    // Most values lie whole in one piece and are read where they are.
    QByteArrayView value = last;
    if (m_valuePending) {
        appendValue(last);
        value = m_attribute == Attribute::Href ? m_href : m_rel;
    }
    const int limit = m_attribute == Attribute::Href ? kMaxHref : kMaxRel;
    const bool tooLong = m_valueTooLong || value.size() > limit;
    if (m_attribute == Attribute::Href) {
        m_hasHref = true;
        m_hrefView = value;
        // An address too long to keep leaves the tag without a link.
        if (tooLong)
            m_tag = Tag::Other;
    } else {
        m_hasRel = true;
        m_relView = tooLong ? QByteArrayView() : value;
    }
    m_attribute = Attribute::Other;
    m_valuePending = false;
}

void ThreadPageScanner::emitTag()
{
    m_state = State::Text;
    if (m_tag == Tag::RawText) {
        m_rawEnd.restart();
        m_state = State::RawText;
        return;
    }
    if (m_tag == Tag::Other || !m_hasHref || !m_sink)
        return;
    Link link;
    link.kind = m_tag == Tag::Anchor ? Link::Kind::Anchor
        : m_tag == Tag::LinkTag      ? Link::Kind::LinkTag
                                     : Link::Kind::Base;
    // rel words hold no references worth decoding.
    link.relNext = m_hasRel && relHasNext(m_relView);
    if (m_hrefView.contains('&')) {
        decodeReferences(m_hrefView, m_decoded);
        link.href = m_decoded;
    } else {
        link.href = m_hrefView;
    }
    m_sink(link);
}

void ThreadPageScanner::decodeReferences(QByteArrayView value, QByteArray &out)
{
    out.resize(0);
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = value[i];
        if (c != '&') {
            out += c;
            continue;
        }
        const qsizetype semi = value.indexOf(';', i + 1);
        if (semi < 0 || semi - i > 10) {
            out += c;
            continue;
        }
        const QByteArrayView name = value.sliced(i + 1, semi - i - 1);
        char simple = 0;
        if (name == "amp")
            simple = '&';
        else if (name == "lt")
            simple = '<';
        else if (name == "gt")
            simple = '>';
        else if (name == "quot")
            simple = '"';
        else if (name == "apos")
            simple = '\'';
        if (simple) {
            out += simple;
            i = semi;
            continue;
        }
        QByteArray decoded;
        if (name.startsWith('#') && name.size() > 1) {
            bool ok = false;
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const QByteArray digits = name.sliced(hex ? 2 : 1).toByteArray();
            const uint code = digits.toUInt(&ok, hex ? 16 : 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t ucs = code;
                decoded = QString::fromUcs4(&ucs, 1).toUtf8();
            }
        }
        if (decoded.isEmpty()) {
            out += c;
            continue;
        }
        out += decoded;
        i = semi;
    }
}
