#include "ui/rtf_reader.h"

#include "platform/data_folder.h"

#include <QList>
#include <QStringList>
#include <QVector>

#include <cstdint>

namespace {

QString colorName(int r, int g, int b)
{
    return QStringLiteral("#%1%2%3")
        .arg(r & 0xff, 2, 16, QLatin1Char('0'))
        .arg(g & 0xff, 2, 16, QLatin1Char('0'))
        .arg(b & 0xff, 2, 16, QLatin1Char('0'));
}

} // namespace

namespace {

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24; // \fs
    int color = 0; // index into the colour table; 0 is the default
    int ucSkip = 1; // \uc: fallback characters after \u
    bool skip = false; // inside a destination that is not shown
    bool colorTable = false;

    bool sameLook(const CharState &o) const
    {
        return bold == o.bold && italic == o.italic && underline == o.underline && halfPoints == o.halfPoints
            && color == o.color;
    }
};

// Guards against hostile nesting: deeper groups are read as text of the
// deepest one kept.
constexpr int kMaxDepth = 256;

class Parser {
public:
    explicit Parser(const QByteArray &in)
        : m_in(in)
    {
    }

    struct Run {
        QString text;
        CharState look;
    };
    struct Paragraph {
        QList<Run> runs;
    };

    QList<Paragraph> parse()
    {
        m_paragraphs.append(Paragraph());
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
                    m_colors.append(m_haveColor ? colorName(m_r, m_g, m_b) : QString());
                    m_haveColor = false;
                    m_r = m_g = m_b = 0;
                }
                ++i;
                continue;
            }
            emitChar(QChar(static_cast<unsigned char>(c)));
            ++i;
        }
        return m_paragraphs;
    }

    // "#rrggbb" per colour table entry; empty for the default colour.
    const QStringList &colors() const { return m_colors; }

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
        Paragraph &p = m_paragraphs.last();
        if (p.runs.isEmpty() || !p.runs.last().look.sameLook(m_state))
            p.runs.append(Run { QString(), m_state });
        p.runs.last().text.append(c);
    }

    void newParagraph()
    {
        if (m_state.skip)
            return;
        m_paragraphs.append(Paragraph());
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
    CharState m_state;
    QVector<CharState> m_stack;
    int m_overflow = 0;
    bool m_groupStart = false;
    QList<Paragraph> m_paragraphs;
    QStringList m_colors;
    bool m_haveColor = false;
    int m_r = 0, m_g = 0, m_b = 0;
};

QString escapeHtml(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\t':
            out += QLatin1String("&nbsp;&nbsp;&nbsp;&nbsp;");
            break;
        case QChar::LineSeparator:
            out += QLatin1String("<br>");
            break;
        default:
            if (c.unicode() < 0x20)
                break; // control characters are not shown
            out += c;
        }
    }
    return out;
}

} // namespace

namespace RtfReader {

QString toHtml(const QByteArray &rtf)
{
    Parser parser(rtf);
    const auto paragraphs = parser.parse();
    const QStringList &colors = parser.colors();
    QString html = QStringLiteral("<html><body style=\"font-family: Verdana, sans-serif;\">");
    for (const auto &p : paragraphs) {
        html += QLatin1String("<p style=\"margin-top:0; margin-bottom:4px;\">");
        if (p.runs.isEmpty())
            html += QLatin1String("&nbsp;");
        for (const auto &run : p.runs) {
            QString style = QStringLiteral("font-size:%1pt;").arg(run.look.halfPoints / 2.0);
            if (run.look.bold)
                style += QLatin1String(" font-weight:bold;");
            if (run.look.italic)
                style += QLatin1String(" font-style:italic;");
            if (run.look.underline)
                style += QLatin1String(" text-decoration:underline;");
            if (run.look.color > 0 && run.look.color < colors.size() && !colors[run.look.color].isEmpty())
                style += QStringLiteral(" color:%1;").arg(colors[run.look.color]);
            html += QStringLiteral("<span style=\"%1\">").arg(style);
            QString text = escapeHtml(run.text);
            // Runs of spaces stay visible.
            text.replace(QLatin1String("  "), QLatin1String(" &nbsp;"));
            html += text;
            html += QLatin1String("</span>");
        }
        html += QLatin1String("</p>");
    }
    html += QLatin1String("</body></html>");
    return html;
}

QString toPlainText(const QByteArray &rtf)
{
    Parser parser(rtf);
    QString out;
    const auto paragraphs = parser.parse();
    for (int i = 0; i < paragraphs.size(); ++i) {
        for (const auto &run : paragraphs[i].runs) {
            QString t = run.text;
            t.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
            out += t;
        }
        if (i + 1 < paragraphs.size())
            out += QLatin1Char('\n');
    }
    return out;
}

} // namespace RtfReader
