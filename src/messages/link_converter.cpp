#include "messages/link_converter.h"

#include "messages/markup_template.h"

#include <QStringView>

#include <algorithm>
#include <vector>

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
// Sets *slash to the position of the scheme's second "/". Looks for "://"
// (a fast search) and then checks the scheme in front of it.
qsizetype findWebAddress(QStringView text, qsizetype from, qsizetype *slash)
{
    const QChar *s = text.data();
    qsizetype at = from;
    for (;;) {
        const qsizetype colon = text.indexOf(QLatin1String("://"), at);
        if (colon < 0)
            return -1;
        auto schemeAt = [&](qsizetype h, bool secure) {
            if (h < from)
                return false;
            if (lower(s[h].unicode()) != 'h' || lower(s[h + 1].unicode()) != 't' || lower(s[h + 2].unicode()) != 't'
                || lower(s[h + 3].unicode()) != 'p')
                return false;
            return !secure || lower(s[h + 4].unicode()) == 's';
        };
        // "https://" starts before "http://" would, so it is the earlier match.
        if (schemeAt(colon - 5, true)) {
            *slash = colon + 2;
            return colon - 5;
        }
        if (schemeAt(colon - 4, false)) {
            *slash = colon + 2;
            return colon - 4;
        }
        at = colon + 1;
    }
}

void appendWithoutLineBreaks(QString &out, const QChar *s, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        if (s[i] != QLatin1Char('\r') && s[i] != QLatin1Char('\n'))
            out.append(s[i]);
}

// Where link markup lies in the text between the passes: [begin, end).
struct Markup {
    qsizetype begin;
    qsizetype end;
};

// Writes into out and marks, whose memory the caller may keep from call to call.
void linkPass(const QString &text, const QString &open1, const QString &open2, const QString &close, QString &out,
    std::vector<Markup> &marks)
{
    const qsizetype n = text.size();
    out.clear();
    marks.clear();
    if (n < 2) {
        out = text;
        return;
    }
    const QChar *s = text.constData();
    out.reserve(n + n / 2);
    qsizetype pos = 0;
    QString target;
    for (;;) {
        qsizetype slash = 0;
        const qsizetype h = findWebAddress(QStringView(text), pos, &slash);
        if (h < 0)
            break;
        const qsizetype end = scanEnd(s, n, slash);
        out.append(s + pos, h - pos);
        target.clear();
        appendWithoutLineBreaks(target, s, h, end);
        const qsizetype begin = out.size();
        out += open1;
        out += target;
        out += open2;
        out += target;
        out += close;
        marks.push_back({ begin, out.size() });
        pos = end;
        // The markup just written is never searched again, and fewer than
        // three characters after it are not searched at all.
        if (n - pos < 3)
            break;
    }
    out.append(s + pos, n - pos);
}

// Markup is never taken apart or wrapped again: an "@" inside link markup is
// no address, the walk back to an address's start stops at the end of the
// last markup of either pass, and the forward scan stops where link markup
// begins, as it would at the end of the text. Each character of the text thus
// lands in at most one link or address, so the output stays linear.
QString mailPass(const QString &text, const std::vector<Markup> &marks, const QString &open1, const QString &open2,
    const QString &close, const QString &mail)
{
    const qsizetype n = text.size();
    if (n < 2)
        return text;
    const QChar *s = text.constData();
    QString out;
    out.reserve(n + n / 2);
    qsizetype pos = 0; // everything before pos is written; the last address markup ends there
    qsizetype from = 0; // where the search for the next "@" goes on
    std::size_t next = 0; // the first link markup that ends after the "@" looked at
    QString address;
    for (;;) {
        const qsizetype a = QStringView(text).indexOf(QLatin1Char('@'), from);
        if (a < 0)
            break;
        while (next < marks.size() && marks[next].end <= a)
            ++next;
        if (next < marks.size() && marks[next].begin <= a) {
            from = marks[next].end;
            continue;
        }
        qsizetype floor = pos;
        if (next > 0)
            floor = std::max(floor, marks[next - 1].end);
        qsizetype start = a;
        while (start > floor && !isLeftDelimiter(s[start - 1]))
            --start;
        const qsizetype limit = next < marks.size() ? marks[next].begin : n;
        const qsizetype end = scanEnd(s, limit, a);
        out.append(s + pos, start - pos);
        address.clear();
        appendWithoutLineBreaks(address, s, start, end);
        out += open1;
        out += mail;
        out += address;
        out += open2;
        out += address;
        out += close;
        pos = end;
        from = end;
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
    // The text between the passes lives in a buffer kept for the next call,
    // so a long message costs one fresh allocation, not two; a buffer grown
    // by an unusually long message is let go again.
    thread_local QString linked;
    thread_local std::vector<Markup> marks;
    linkPass(text, linkOpen01, linkOpen02, linkClose01, linked, marks);
    QString out = mailPass(linked, marks, linkOpen01, linkOpen02, linkClose01, mailCall01);
    if (linked.capacity() > (qsizetype(32) << 20)) {
        linked = QString();
        marks = std::vector<Markup>();
    }
    return out;
}

QString convertMessage(const QString &text, const QString &formatName, const TemplateSet &templates)
{
    const MarkupTemplate *t = templates.findByName(formatName);
    if (!t)
        return text;
    return convertLinks(text, t->linkOpen01, t->linkOpen02, t->linkClose01, t->mailCall01);
}
