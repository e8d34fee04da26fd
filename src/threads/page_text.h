#pragma once

#include "threads/html_chars.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The text of one page of a thread as a reader sees it, one line per block.
struct ThreadPageText {
    QString key; // the page's address as ThreadLinks keys it
    QByteArray lines; // UTF-8 as the page sent it, each line ended by "\n"
    // The page says more than a page or a thread keeps: lines hold its start,
    // and where they end moves with any change before it.
    bool cut = false;
    bool operator==(const ThreadPageText &other) const
    {
        return key == other.key && cut == other.cut && lines == other.lines;
    }
};
using ThreadText = QList<ThreadPageText>;

// Takes the visible text out of an HTML page as its bytes arrive, in pieces
// of any size. Scripts, styles, comments, tags and their attributes (hidden
// inputs, tokens, alt texts) are left out; block elements end lines, inline
// ones do not; runs of white space are one space; character references are
// decoded. Lines hold the page's own bytes, so pages compare as they were sent.
class PageText {
public:
    PageText();

    void feed(const char *data, qint64 size);
    void feed(const QByteArray &data) { feed(data.constData(), data.size()); }
    // The lines of the page fed since the last take; starts the next page.
    // cut: the page said more than kMaxPageText, and the lines are its start.
    QByteArray take(bool *cut = nullptr);

    // A forum page shows a reader some 10 to 100 KB of text; 2 MB is a
    // thousand posts on one page. Beyond it a page is not read any further,
    // so a huge page costs no more than its download.
    static constexpr qint64 kMaxPageText = 2 * 1024 * 1024;

private:
    enum class State {
        Text,
        Reference, // after "&"
        TagOpen, // after "<"
        TagName,
        EndTagName,
        Attributes, // inside a tag, up to its ">"
        Quoted, // a quoted attribute value
        Declaration, // after "<!" or "<?": a comment, a doctype
        RawText, // inside <script> and the like, up to its end tag
    };

    void scan(const char *data, qint64 size);
    qint64 scanText(const char *data, qint64 i, qint64 size);
    void appendRun(const char *data, qint64 size);
    void space() { m_space = true; }
    void endLine();
    void endTagName(bool endTag);
    void endReference(bool terminated);

    static constexpr qint64 kStartBuffer = 64 * 1024;
    static constexpr int kMaxName = 12;
    static constexpr int kMaxReference = 12;

    QByteArray m_text; // the lines so far, in its first m_length bytes
    qint64 m_length = 0;
    State m_state = State::Text;
    char m_name[kMaxName] = {};
    int m_nameLength = 0;
    char m_reference[kMaxReference] = {};
    int m_referenceLength = 0;
    char m_quote = 0;
    char m_lastInTag = 0; // "=" opens a quoted value
    bool m_rawTag = false; // the tag being read opens raw text
    HtmlChars::RawTextEnd m_rawEnd;
    HtmlChars::DeclarationEnd m_declaration;
    bool m_space = false; // white space waits to be written before the next text
    bool m_lineHasText = false;
    bool m_cut = false; // kMaxPageText reached: the rest of the page is not read
};
