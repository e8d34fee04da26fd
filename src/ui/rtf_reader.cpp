#include "ui/rtf_reader.h"

#include "ui/rtf_parser.h"

#include <QMap>

#include <algorithm>

#include <utility>

namespace {

using Rtf::kDefaultHalfPoints;
using Rtf::Look;
using Rtf::Parser;
using Rtf::Sink;

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
