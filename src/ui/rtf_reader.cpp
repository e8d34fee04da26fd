#include "ui/rtf_reader.h"

#include "platform/data_folder.h"

#include <QList>
#include <QMap>
#include <QVector>

#include <algorithm>

#include <cstdint>
#include <utility>

namespace {

constexpr int kDefaultHalfPoints = 24; // 12 pt, when no \fs says otherwise

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = kDefaultHalfPoints; // \fs
    int color = 0; // index into the colour table; 0 is the default
    int ucSkip = 1; // \uc: fallback characters after \u
    bool skip = false; // inside a destination that is not shown
    bool colorTable = false;
};

// How a character looks once its colour index is looked up: adjacent text
// that looks the same is one run, whatever state changes lay between.
struct Look {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = kDefaultHalfPoints;
    int rgb = -1; // none: the default colour

    bool operator==(const Look &o) const
    {
        return bold == o.bold && italic == o.italic && underline == o.underline && halfPoints == o.halfPoints
            && rgb == o.rgb;
    }
    bool operator!=(const Look &o) const { return !(*this == o); }
};

// Receives the document as it is read, so nothing but the output is kept.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void text(QChar c, const Look &look) = 0;
    virtual void paragraph() = 0;
};

// Guards against hostile nesting: deeper groups are read as text of the
// deepest one kept.
constexpr int kMaxDepth = 256;

class Parser {
public:
    Parser(const QByteArray &in, Sink &sink)
        : m_in(in)
        , m_sink(sink)
    {
    }

    void parse()
    {
        const qsizetype n = m_in.size();
        qsizetype i = 0;
        int pendingSkip = 0; // fallback characters still to skip after \u
        while (i < n) {
            const char c = m_in[i];
            if (c == '{') {
                if (m_stack.size() < kMaxDepth)
                    m_stack.append(m_state);
                else
                    ++m_overflow;
                ++i;
                pendingSkip = 0;
                m_groupStart = true;
                continue;
            }
            if (c == '}') {
                if (m_overflow > 0)
                    --m_overflow;
                else if (!m_stack.isEmpty())
                    m_state = m_stack.takeLast();
                ++i;
                pendingSkip = 0;
                m_groupStart = false;
                continue;
            }
            if (c == '\\') {
                i = controlWord(i, &pendingSkip);
                continue;
            }
            m_groupStart = false;
            if (c == '\r' || c == '\n') {
                ++i;
                continue;
            }
            if (pendingSkip > 0) {
                --pendingSkip;
                ++i;
                continue;
            }
            if (m_state.colorTable) {
                if (c == ';') {
                    m_colors.append(m_haveColor ? (m_r << 16 | m_g << 8 | m_b) : -1);
                    m_haveColor = false;
                    m_r = m_g = m_b = 0;
                }
                ++i;
                continue;
            }
            emitChar(QChar(static_cast<unsigned char>(c)));
            ++i;
        }
    }

private:
    // Reads one control word or symbol at i (a backslash); returns the next position.
    qsizetype controlWord(qsizetype i, int *pendingSkip)
    {
        const qsizetype n = m_in.size();
        m_groupStart = false;
        ++i;
        if (i >= n)
            return i;
        const char c = m_in[i];
        if (!isAlpha(c)) {
            // A control symbol.
            switch (c) {
            case '\'': {
                int value = 0;
                int digits = 0;
                ++i;
                while (digits < 2 && i < n && isHex(m_in[i])) {
                    value = value * 16 + hexValue(m_in[i]);
                    ++i;
                    ++digits;
                }
                if (digits > 0) {
                    if (*pendingSkip > 0)
                        --*pendingSkip;
                    else if (!m_state.colorTable)
                        emitChar(cp1252Char(static_cast<unsigned char>(value)));
                }
                return i;
            }
            case '*':
                // An optional destination: none of them is shown.
                m_state.skip = true;
                return i + 1;
            case '~':
                emitChar(QChar(0x00A0));
                return i + 1;
            case '-':
                return i + 1;
            case '_':
                emitChar(QChar(0x2011));
                return i + 1;
            case '\r':
            case '\n':
                newParagraph();
                return i + 1;
            case '\t':
                emitChar(QLatin1Char('\t'));
                return i + 1;
            default:
                // "\\", "\{", "\}" and any other symbol stand for themselves.
                if (*pendingSkip > 0)
                    --*pendingSkip;
                else
                    emitChar(QChar(static_cast<unsigned char>(c)));
                return i + 1;
            }
        }
        const qsizetype wordStart = i;
        while (i < n && isAlpha(m_in[i]) && i - wordStart < 32)
            ++i;
        const QByteArray word = m_in.mid(wordStart, i - wordStart);
        while (i < n && isAlpha(m_in[i]))
            ++i; // an overlong word is cut
        bool hasParam = false;
        bool negative = false;
        std::int64_t param = 0;
        if (i < n && m_in[i] == '-' && i + 1 < n && isDigit(m_in[i + 1])) {
            negative = true;
            ++i;
        }
        int digits = 0;
        while (i < n && isDigit(m_in[i])) {
            if (digits < 10)
                param = param * 10 + (m_in[i] - '0');
            ++digits;
            ++i;
            hasParam = true;
        }
        if (negative)
            param = -param;
        // Keep parameters within 32 bits, as RTF does.
        if (param > INT32_MAX)
            param = INT32_MAX;
        if (param < INT32_MIN)
            param = INT32_MIN;
        if (i < n && m_in[i] == ' ')
            ++i; // the delimiting space belongs to the word
        apply(word, hasParam, static_cast<int>(param), pendingSkip);
        return i;
    }

    void apply(const QByteArray &w, bool hasParam, int param, int *pendingSkip)
    {
        static const QList<QByteArray> destinations = { "fonttbl", "stylesheet", "pict", "info", "header", "footer",
            "headerl", "headerr", "footerl", "footerr", "object", "themedata", "colorschememapping", "datastore",
            "latentstyles", "listtable", "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "mmathPr", "fldinst",
            "bkmkstart", "bkmkend" };
        if (w == "colortbl") {
            m_state.colorTable = true;
            m_colors.clear();
            m_haveColor = false;
            return;
        }
        if (destinations.contains(w)) {
            m_state.skip = true;
            return;
        }
        if (m_state.colorTable) {
            if (w == "red") {
                m_r = qBound(0, param, 255);
                m_haveColor = true;
            } else if (w == "green") {
                m_g = qBound(0, param, 255);
                m_haveColor = true;
            } else if (w == "blue") {
                m_b = qBound(0, param, 255);
                m_haveColor = true;
            }
            return;
        }
        if (w == "par" || w == "sect" || w == "page") {
            newParagraph();
        } else if (w == "line") {
            emitChar(QChar(QChar::LineSeparator));
        } else if (w == "tab") {
            emitChar(QLatin1Char('\t'));
        } else if (w == "b") {
            m_state.bold = !hasParam || param != 0;
        } else if (w == "i") {
            m_state.italic = !hasParam || param != 0;
        } else if (w == "ul") {
            m_state.underline = !hasParam || param != 0;
        } else if (w == "ulnone") {
            m_state.underline = false;
        } else if (w == "plain") {
            const int uc = m_state.ucSkip;
            const bool skip = m_state.skip;
            m_state = CharState();
            m_state.ucSkip = uc;
            m_state.skip = skip;
        } else if (w == "fs") {
            m_state.halfPoints = hasParam ? qBound(2, param, 400) : 24;
        } else if (w == "cf") {
            m_state.color = hasParam ? qMax(0, param) : 0;
        } else if (w == "uc") {
            m_state.ucSkip = hasParam ? qBound(0, param, 16) : 1;
        } else if (w == "u") {
            int code = param;
            if (code < 0)
                code += 65536;
            if (code >= 0 && code <= 0xFFFF)
                emitChar(QChar(static_cast<char16_t>(code)));
            *pendingSkip = m_state.ucSkip;
        } else if (w == "emdash") {
            emitChar(QChar(0x2014));
        } else if (w == "endash") {
            emitChar(QChar(0x2013));
        } else if (w == "bullet") {
            emitChar(QChar(0x2022));
        } else if (w == "lquote") {
            emitChar(QChar(0x2018));
        } else if (w == "rquote") {
            emitChar(QChar(0x2019));
        } else if (w == "ldblquote") {
            emitChar(QChar(0x201C));
        } else if (w == "rdblquote") {
            emitChar(QChar(0x201D));
        } else if (w == "pard") {
            // Paragraph properties are not shown.
        }
    }

    void emitChar(QChar c)
    {
        if (m_state.skip)
            return;
        Look look;
        look.bold = m_state.bold;
        look.italic = m_state.italic;
        look.underline = m_state.underline;
        look.halfPoints = m_state.halfPoints;
        if (m_state.color > 0 && m_state.color < m_colors.size())
            look.rgb = m_colors[m_state.color];
        m_sink.text(c, look);
    }

    void newParagraph()
    {
        if (m_state.skip)
            return;
        m_sink.paragraph();
    }

    static bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
    static int hexValue(char c)
    {
        if (isDigit(c))
            return c - '0';
        return (c | 0x20) - 'a' + 10;
    }

    const QByteArray &m_in;
    Sink &m_sink;
    CharState m_state;
    QVector<CharState> m_stack;
    int m_overflow = 0;
    bool m_groupStart = false;
    QList<int> m_colors; // 0xRRGGBB, or -1 for an entry without a colour
    bool m_haveColor = false;
    int m_r = 0, m_g = 0, m_b = 0;
};

// Finds the size and colour that most of the text has, so that the HTML can
// make them its default and plain body text needs no element.
class LookCounter : public Sink {
public:
    void text(QChar, const Look &look) override
    {
        const Key key { look.halfPoints, look.rgb };
        if (key != m_key) {
            flush();
            m_key = key;
        }
        ++m_length;
    }
    void paragraph() override { }

    Look mostUsed()
    {
        flush();
        Look look;
        qsizetype best = 0;
        for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it) {
            if (it.value() > best) {
                best = it.value();
                look.halfPoints = it.key().first;
                look.rgb = it.key().second;
            }
        }
        return look;
    }

private:
    using Key = std::pair<int, int>;

    void flush()
    {
        if (m_length > 0)
            m_counts[m_key] += m_length;
        m_length = 0;
    }

    Key m_key { kDefaultHalfPoints, -1 };
    qsizetype m_length = 0;
    QMap<Key, qsizetype> m_counts;
};

QString colorStyle(int rgb)
{
    // Text without a colour of its own is black, as RTF's automatic colour.
    return QStringLiteral("color:#%1;").arg(std::max(rgb, 0), 6, 16, QLatin1Char('0'));
}

// Writes HTML as the document is read. A rich text view spends far more
// memory on an element (about a kilobyte) than on a character, so elements
// are few: the body keeps white space as RTF does (pre-wrap), which makes a
// paragraph a line feed and a line break U+2028; only a run that looks other
// than the body gets an element, one span for all its formatting; and a file
// of nothing but tiny runs shows the text after its first many runs plain.
class HtmlSink : public Sink {
public:
    HtmlSink(qsizetype inputSize, const Look &body)
        : m_default(body)
        , m_look(body)
        , m_spansLeft(inputSize / 32 + 4096) // a real help file has a run every 80 bytes or so
    {
        m_html.reserve(inputSize + 256);
        m_html += QStringLiteral("<html><body style=\"font-family:Verdana,sans-serif; font-size:%1pt; "
                                 "white-space:pre-wrap;")
                      .arg(body.halfPoints / 2.0);
        if (body.rgb >= 0)
            m_html += QLatin1Char(' ') + colorStyle(body.rgb);
        m_html += QLatin1String("\">");
    }

    void text(QChar c, const Look &look) override
    {
        if (look != m_look) {
            close();
            if (m_spansLeft > 0) {
                m_look = look;
                open();
            }
        }
        switch (c.unicode()) {
        case '<':
            m_html += QLatin1String("&lt;");
            break;
        case '>':
            m_html += QLatin1String("&gt;");
            break;
        case '&':
            m_html += QLatin1String("&amp;");
            break;
        case '\t':
        case QChar::LineSeparator:
            m_html += c;
            break;
        default:
            if (c.unicode() >= 0x20)
                m_html += c; // other control characters are not shown
        }
    }

    void paragraph() override
    {
        // The line feed belongs to the body, so an empty line after a
        // heading is as high as body text.
        close();
        m_html += QLatin1Char('\n');
    }

    QString finish()
    {
        close();
        m_html += QLatin1String("</body></html>");
        return std::move(m_html);
    }

private:
    void open()
    {
        if (m_look == m_default)
            return;
        --m_spansLeft;
        m_html += QLatin1String("<span style=\"");
        if (m_look.bold)
            m_html += QLatin1String("font-weight:bold;");
        if (m_look.italic)
            m_html += QLatin1String("font-style:italic;");
        if (m_look.underline)
            m_html += QLatin1String("text-decoration:underline;");
        if (m_look.halfPoints != m_default.halfPoints)
            m_html += QStringLiteral("font-size:%1pt;").arg(m_look.halfPoints / 2.0);
        if (m_look.rgb != m_default.rgb)
            m_html += colorStyle(m_look.rgb);
        m_html += QLatin1String("\">");
    }

    void close()
    {
        if (m_look != m_default)
            m_html += QLatin1String("</span>");
        m_look = m_default;
    }

    const Look m_default;
    Look m_look;
    qsizetype m_spansLeft;
    QString m_html;
};

class PlainSink : public Sink {
public:
    void text(QChar c, const Look &) override
    {
        m_text += c == QChar(QChar::LineSeparator) ? QChar(QLatin1Char('\n')) : c;
    }
    void paragraph() override { m_text += QLatin1Char('\n'); }

    QString m_text;
};

} // namespace

namespace RtfReader {

QString toHtml(const QByteArray &rtf)
{
    // Reading twice costs less than an element for every run of body text.
    LookCounter counter;
    Parser(rtf, counter).parse();
    HtmlSink sink(rtf.size(), counter.mostUsed());
    Parser(rtf, sink).parse();
    return sink.finish();
}

QString toPlainText(const QByteArray &rtf)
{
    PlainSink sink;
    Parser(rtf, sink).parse();
    return std::move(sink.m_text);
}

} // namespace RtfReader
