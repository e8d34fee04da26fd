#pragma once

#include "threads/html_chars.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

// Finds the links of an HTML page as its bytes arrive, in pieces of any size,
// with memory bounded by the longest address it keeps. It reports the links
// of <a>, <area> and <link> tags, and <base>. Comments and the text of
// <script>, <noscript>, <style>, <textarea>, <title> and the like hold no
// links a reader can follow, so they are skipped.
class ThreadPageScanner {
public:
    struct Link {
        enum class Kind { Anchor, LinkTag, Base };
        Kind kind = Kind::Anchor;
        QByteArrayView href; // character references decoded; valid during the call
        bool relNext = false; // rel="next" among the rel words
    };
    using LinkSink = std::function<void(const Link &link)>;

    explicit ThreadPageScanner(LinkSink sink = {});

    void feed(const char *data, qint64 size);
    void feed(const QByteArray &data) { feed(data.constData(), data.size()); }
    // Starts a new page.
    void reset();

    // A longer address is no page address; it is dropped.
    static constexpr int kMaxHref = 4096;

    // Character references in an attribute value: named ones for the
    // characters addresses use, and numeric ones.
    static void decodeReferences(QByteArrayView value, QByteArray &out);

private:
    enum class State {
        Text,
        TagOpen, // after "<"
        Declaration, // after "<!" or "<?": a comment, a doctype
        TagName,
        InsideEndTag, // up to ">"
        BeforeAttributeName,
        AttributeName,
        AfterAttributeName,
        BeforeAttributeValue,
        QuotedValue,
        UnquotedValue,
        SelfClosing, // after "/" inside a tag
        SkipTag, // the rest of a tag without links, up to its ">"
        SkipQuoted, // a quoted value in such a tag
        RawText, // inside <script> and the like, up to its end tag
    };
    enum class Tag { Other, Anchor, LinkTag, Base, RawText };
    enum class Attribute { Other, Href, Rel };

    qint64 scanText(const char *data, qint64 i, qint64 size);
    qint64 skipTag(const char *data, qint64 i, qint64 size);
    void beginTag();
    void endTagName();
    void beginAttribute();
    void endAttributeName();
    void scan(const char *data, qint64 size);
    void appendValue(QByteArrayView part);
    void endAttributeValue(QByteArrayView last);
    void emitTag();

    static constexpr int kMaxName = 16;
    static constexpr int kMaxRel = 256;

    QByteArrayView name() const { return QByteArrayView(m_name, m_nameLength); }
    void appendName(char c);

    // The buffers keep their room from tag to tag: no allocation per tag.
    LinkSink m_sink;
    State m_state = State::Text;
    Tag m_tag = Tag::Other;
    char m_name[kMaxName] = {}; // tag or attribute name, lower case
    int m_nameLength = 0;
    bool m_nameTooLong = false;
    Attribute m_attribute = Attribute::Other;
    char m_quote = 0;
    char m_lastNonSpace = 0; // in a skipped tag: "=" makes the next quote open a value
    bool m_valueTooLong = false;
    bool m_hasHref = false;
    bool m_hasRel = false;
    bool m_valuePending = false; // part of the value is in its buffer
    QByteArrayView m_hrefView; // in the piece being read, or in m_href
    QByteArrayView m_relView;
    QByteArray m_href;
    QByteArray m_rel;
    QByteArray m_decoded;
    HtmlChars::RawTextEnd m_rawEnd;
    HtmlChars::DeclarationEnd m_declaration;
};
