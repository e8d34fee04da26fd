#include "messages/link_converter.h"

#include "messages/markup_template.h"

namespace {

inline bool isLinkDelimiter(QChar c)
{
    const char16_t u = c.unicode();
    return u == '\r' || u == '\n' || u == '?' || u == ',' || u == '!' || u == ' ';
}

inline bool isLeftDelimiter(QChar c)
{
    const char16_t u = c.unicode();
    return u == '\r' || u == '\n' || u == ' ';
}

inline char16_t lower(char16_t u)
{
    return (u >= 'A' && u <= 'Z') ? u + 32 : u;
}

// The forward scan: from p, reads up to and including the first link
// delimiter, or to the end of the text. Returns one past the span's last
// character; a "." read last at the end of the text is given back.
qsizetype scanEnd(const QChar *s, qsizetype n, qsizetype p)
{
    qsizetype i = p;
    while (i < n) {
        if (isLinkDelimiter(s[i]))
            return i + 1;
        ++i;
    }
    if (i > p && s[i - 1] == QLatin1Char('.'))
        return i - 1;
    return i;
}

// The first "http://" or "https://" at or after from, letter case ignored.
// Sets *slash to the position of the scheme's second "/".
qsizetype findWebAddress(const QChar *s, qsizetype n, qsizetype from, qsizetype *slash)
{
    for (qsizetype i = from; i + 7 <= n; ++i) {
        if (lower(s[i].unicode()) != 'h' || lower(s[i + 1].unicode()) != 't' || lower(s[i + 2].unicode()) != 't'
            || lower(s[i + 3].unicode()) != 'p')
            continue;
        qsizetype j = i + 4;
        if (lower(s[j].unicode()) == 's')
            ++j;
        if (j + 3 <= n && s[j] == QLatin1Char(':') && s[j + 1] == QLatin1Char('/') && s[j + 2] == QLatin1Char('/')) {
            *slash = j + 2;
            return i;
        }
    }
    return -1;
}

void appendWithoutLineBreaks(QString &out, const QChar *s, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        if (s[i] != QLatin1Char('\r') && s[i] != QLatin1Char('\n'))
            out.append(s[i]);
}

QString linkPass(const QString &text, const QString &open1, const QString &open2, const QString &close)
{
    const qsizetype n = text.size();
    if (n < 2)
        return text;
    const QChar *s = text.constData();
    QString out;
    out.reserve(n + n / 8);
    qsizetype pos = 0;
    QString target;
    for (;;) {
        qsizetype slash = 0;
        const qsizetype h = findWebAddress(s, n, pos, &slash);
        if (h < 0)
            break;
        const qsizetype end = scanEnd(s, n, slash);
        out.append(s + pos, h - pos);
        target.clear();
        appendWithoutLineBreaks(target, s, h, end);
        out += open1;
        out += target;
        out += open2;
        out += target;
        out += close;
        pos = end;
        // The markup just written is never searched again, and fewer than
        // three characters after it are not searched at all.
        if (n - pos < 3)
            break;
    }
    out.append(s + pos, n - pos);
    return out;
}

QString mailPass(const QString &text, const QString &open1, const QString &open2, const QString &close,
                 const QString &mail)
{
    const qsizetype n = text.size();
    if (n < 2)
        return text;
    const QChar *s = text.constData();
    QString out;
    out.reserve(n + n / 8);
    // Position in out just after its last CR, LF or space: an address that
    // starts before the input position starts there, possibly inside the
    // markup written before it, as the walk back over the current text finds.
    qsizetype wordStart = 0;
    auto noteAppended = [&](qsizetype from) {
        for (qsizetype i = out.size(); i > from; --i)
            if (isLeftDelimiter(out[i - 1])) {
                wordStart = i;
                return;
            }
    };
    qsizetype pos = 0;
    QString address;
    for (;;) {
        qsizetype a = pos;
        while (a < n && s[a] != QLatin1Char('@'))
            ++a;
        if (a >= n)
            break;
        qsizetype start = a;
        while (start > pos && !isLeftDelimiter(s[start - 1]))
            --start;
        const qsizetype end = scanEnd(s, n, a);
        address.clear();
        if (start == pos) {
            // The walk back reaches into what is already written.
            appendWithoutLineBreaks(address, out.constData(), wordStart, out.size());
            out.truncate(wordStart);
        } else {
            const qsizetype before = out.size();
            out.append(s + pos, start - pos);
            noteAppended(before);
        }
        appendWithoutLineBreaks(address, s, start, end);
        const qsizetype before = out.size();
        out += open1;
        out += mail;
        out += address;
        out += open2;
        out += address;
        out += close;
        noteAppended(before);
        pos = end;
        if (n - pos < 3)
            break;
    }
    out.append(s + pos, n - pos);
    return out;
}

} // namespace

QString convertLinks(const QString &text, const QString &linkOpen01, const QString &linkOpen02,
                     const QString &linkClose01, const QString &mailCall01)
{
    const QString linked = linkPass(text, linkOpen01, linkOpen02, linkClose01);
    return mailPass(linked, linkOpen01, linkOpen02, linkClose01, mailCall01);
}

QString convertMessage(const QString &text, const QString &formatName, const TemplateSet &templates)
{
    const MarkupTemplate *t = templates.findByName(formatName);
    if (!t)
        return text;
    return convertLinks(text, t->linkOpen01, t->linkOpen02, t->linkClose01, t->mailCall01);
}
