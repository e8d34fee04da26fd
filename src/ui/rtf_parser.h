#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QVector>

// The RTF reader's parser: groups, control words and their parameters, the
// colour table and "\'hh" and "\u" characters. It hands each character with
// its look, and each paragraph end, to a sink, so nothing but the output is kept.
namespace Rtf {

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

class Parser {
public:
    Parser(const QByteArray &in, Sink &sink);
    void parse();

private:
    // Reads one control word or symbol at i (a backslash); returns the next position.
    qsizetype controlWord(qsizetype i, int *pendingSkip);
    void apply(const QByteArray &w, bool hasParam, int param, int *pendingSkip);
    void emitChar(QChar c);
    void newParagraph();

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
    QList<int> m_colors; // 0xRRGGBB, or -1 for an entry without a colour
    bool m_haveColor = false;
    int m_r = 0, m_g = 0, m_b = 0;
};

} // namespace Rtf
