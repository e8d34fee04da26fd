#include "ui/rtf_parser.h"

#include "platform/data_folder.h"

#include <cstdint>

namespace Rtf {

namespace {
// Guards against hostile nesting: deeper groups are read as text of the
// deepest one kept.
constexpr int kMaxDepth = 256;
} // namespace

Parser::Parser(const QByteArray &in, Sink &sink)
    : m_in(in)
    , m_sink(sink)
{
}

void Parser::parse()
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
            continue;
        }
        if (c == '}') {
            if (m_overflow > 0)
                --m_overflow;
            else if (!m_stack.isEmpty())
                m_state = m_stack.takeLast();
            ++i;
            pendingSkip = 0;
            continue;
        }
        if (c == '\\') {
            i = controlWord(i, &pendingSkip);
            continue;
        }
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

// Reads one control word or symbol at i (a backslash); returns the next position.
qsizetype Parser::controlWord(qsizetype i, int *pendingSkip)
{
    const qsizetype n = m_in.size();
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

void Parser::apply(const QByteArray &w, bool hasParam, int param, int *pendingSkip)
{
    static const QList<QByteArray> destinations
        = { "fonttbl", "stylesheet", "pict", "info", "header", "footer", "headerl", "headerr", "footerl", "footerr",
              "object", "themedata", "colorschememapping", "datastore", "latentstyles", "listtable",
              "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "mmathPr", "fldinst", "bkmkstart", "bkmkend" };
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

void Parser::emitChar(QChar c)
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

void Parser::newParagraph()
{
    if (m_state.skip)
        return;
    m_sink.paragraph();
}

} // namespace Rtf
