#include "fuzz/convert_input.h"
#include "messages/link_converter.h"
#include "messages/markup_template.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>

#include <algorithm>

namespace {

const QString L = QStringLiteral("http://www.example.com/forum/topic.php");
const QString A = QStringLiteral("someone.else@mail.example.org");

QString ubb(const QString &text)
{
    return convertLinks(
        text, QStringLiteral("[url="), QStringLiteral("]"), QStringLiteral("[/url]"), QStringLiteral("mailto:"));
}

QString link(const QString &target)
{
    return QStringLiteral("[url=") + target + QStringLiteral("]") + target + QStringLiteral("[/url]");
}

QString mail(const QString &target)
{
    return QStringLiteral("[url=mailto:") + target + QStringLiteral("]") + target + QStringLiteral("[/url]");
}

// The converter as its description reads, on the whole current text with
// repeated searches: slow, but plain, so the one-pass converter can be
// checked against it. Markup already written is kept as a list of spans that
// the address pass never reaches into.
QString reference(const ConvertInput &in)
{
    QString t = in.text;
    const QString &o1 = in.linkOpen01, &o2 = in.linkOpen02, &c = in.linkClose01, &m = in.mailCall01;
    auto isDelim = [](QChar ch) {
        return ch == QLatin1Char('\r') || ch == QLatin1Char('\n') || ch == QLatin1Char('?') || ch == QLatin1Char(',')
            || ch == QLatin1Char('!') || ch == QLatin1Char(' ');
    };
    auto scan = [&](qsizetype p, qsizetype limit) {
        qsizetype i = p;
        while (i < limit) {
            if (isDelim(t[i]))
                return i + 1;
            ++i;
        }
        if (i > p && t[i - 1] == QLatin1Char('.'))
            return i - 1;
        return i;
    };
    auto strip = [](QString s) {
        s.remove(QLatin1Char('\r'));
        s.remove(QLatin1Char('\n'));
        return s;
    };
    struct Span {
        qsizetype begin;
        qsizetype end;
    };
    QList<Span> links;
    if (t.size() >= 2) {
        qsizetype s = 0;
        for (;;) {
            const qsizetype a = t.indexOf(QLatin1String("http://"), s, Qt::CaseInsensitive);
            const qsizetype b = t.indexOf(QLatin1String("https://"), s, Qt::CaseInsensitive);
            qsizetype h = a;
            qsizetype slash = a + 6;
            if (b >= 0 && (a < 0 || b < a)) {
                h = b;
                slash = b + 7;
            }
            if (h < 0)
                break;
            const qsizetype end = scan(slash, t.size());
            const QString target = strip(t.mid(h, end - h));
            const QString markup = o1 + target + o2 + target + c;
            t.replace(h, end - h, markup);
            links.append({ h, h + markup.size() });
            s = h + markup.size();
            if (t.size() - s < 3)
                break;
        }
    }
    if (t.size() >= 2) {
        qsizetype s = 0;
        qsizetype lastMailEnd = 0;
        for (;;) {
            const qsizetype a = t.indexOf(QLatin1Char('@'), s);
            if (a < 0)
                break;
            bool inLink = false;
            qsizetype floor = lastMailEnd;
            qsizetype limit = t.size();
            for (const Span &l : links) {
                if (l.begin <= a && a < l.end)
                    inLink = true;
                if (l.end <= a)
                    floor = std::max(floor, l.end);
                if (l.begin > a)
                    limit = std::min(limit, l.begin);
            }
            if (inLink) {
                s = a + 1;
                continue;
            }
            qsizetype start = a;
            while (start > floor && t[start - 1] != QLatin1Char('\r') && t[start - 1] != QLatin1Char('\n')
                && t[start - 1] != QLatin1Char(' '))
                --start;
            const qsizetype end = scan(a, limit);
            const QString address = strip(t.mid(start, end - start));
            const QString markup = o1 + m + address + o2 + address + c;
            t.replace(start, end - start, markup);
            for (Span &l : links)
                if (l.begin >= end) {
                    l.begin += markup.size() - (end - start);
                    l.end += markup.size() - (end - start);
                }
            lastMailEnd = start + markup.size();
            s = lastMailEnd;
            if (t.size() - s < 3)
                break;
        }
    }
    return t;
}

QString convert(const ConvertInput &in)
{
    return convertLinks(in.text, in.linkOpen01, in.linkOpen02, in.linkClose01, in.mailCall01);
}

ConvertInput withTemplate(const QString &text, const QStringList &t)
{
    return { text, t[0], t[1], t[2], t[3] };
}

// Texts of 0 to most-1 pieces drawn at random.
QString randomText(QRandomGenerator &rng, const QStringList &pieces, int most)
{
    QString text;
    for (int i = rng.bounded(0, most); i > 0; --i)
        text += pieces[rng.bounded(pieces.size())];
    return text;
}

struct Row {
    const char *name;
    QString input;
    QString expected;
};

} // namespace

TEST(LinkConversion, WorkedExamplesAndEdgeCases)
{
    const QString CR = QStringLiteral("\r");
    const QString LF = QStringLiteral("\n");
    const QList<Row> rows = {
        { "link at the end", "Visit " + L, "Visit " + link(L) },
        { "full stop at the end is given back", "Visit " + L + ".", "Visit " + link(L) + "." },
        { "space is consumed into the link", "Visit " + L + " for more", "Visit " + link(L + " ") + "for more" },
        { "comma ends the link", "Go " + L + ", now", "Go " + link(L + ",") + " now" },
        { "full stop inside the text stays", "see " + L + ". Next", "see " + link(L + ". ") + "Next" },
        { "CR is consumed, LF stays", "x" + CR + LF + L + CR + LF + "next", "x" + CR + LF + link(L) + LF + "next" },
        { "mail address", "mail " + A, "mail " + mail(A) },
        { "mail address in a sentence", "mail me at " + A + " today", "mail me at " + mail(A + " ") + "today" },
        { "no link and no address", "just words, nothing else", "just words, nothing else" },
        { "link at the very start", L + " here", link(L + " ") + "here" },
        { "address at the very start", A + " here", mail(A + " ") + "here" },
        { "text of exactly http://", "http://", link("http://") },
        { "question mark ends a link", "see http://x.org/a?b=1 ok", "see " + link("http://x.org/a?") + "b=1 ok" },
        { "lone LF ends a link", "a " + L + LF + "b", "a " + link(L) + "b" },
        { "lone CR ends a link", "a " + L + CR + "b", "a " + link(L) + "b" },
        { "two links", L + " and " + L, link(L + " ") + "and " + link(L) },
        { "secure address", "go https://secure.example.com/x now",
            "go " + link("https://secure.example.com/x ") + "now" },
        { "upper-case scheme", "go HTTP://EXAMPLE.COM/X", "go " + link("HTTP://EXAMPLE.COM/X") },
        { "upper-case secure scheme", "HTTPS://A.B", link("HTTPS://A.B") },
        { "secure before plain", "https://a.b http://c.d", link("https://a.b ") + link("http://c.d") },
        { "fewer than three characters after an address are not searched", "x@y.z a@", mail("x@y.z ") + "a@" },
        { "an address right after a link starts after its markup", L + " a@", link(L + " ") + mail("a@") },
        { "one character is left alone", "@", "@" },
        { "an @ inside a converted link is no address", "http://u@h.org", link("http://u@h.org") },
        { "an @ in a link's path is no address", "http://example.com/~me@home/page",
            link("http://example.com/~me@home/page") },
        { "an address right after an address starts after its markup", "a@x.org,b@y.org",
            mail("a@x.org,") + mail("b@y.org") },
        { "an address ends where link markup begins", "mail a@b.orghttp://x.y",
            "mail " + mail("a@b.org") + link("http://x.y") },
        { "a full stop before link markup is given back", "a@b.c.http://x.y",
            mail("a@b.c") + "." + link("http://x.y") },
        { "exclamation mark ends a link", L + "! wow", link(L + "!") + " wow" },
        { "address ended by comma", "a@b.c, x", mail("a@b.c,") + " x" },
    };
    for (const Row &row : rows) {
        EXPECT_EQ(ubb(row.input), row.expected) << row.name;
        EXPECT_EQ(ubb(row.input), reference({ row.input })) << row.name;
    }
}

TEST(LinkConversion, MessageUsesTheFirstTemplateOfThatName)
{
    TemplateSet set;
    EXPECT_EQ(convertMessage("go " + L, "text", set), "go " + L);
    EXPECT_EQ(convertMessage("go " + L, "nonesuch", set), "go " + L);
    EXPECT_EQ(convertMessage("go " + L, "html", set), "go <a href='" + L + "'>" + L + "</a>");
    set.at(4).name = "text";
    set.at(4).linkOpen01 = "(";
    set.at(4).linkOpen02 = "|";
    set.at(4).linkClose01 = ")";
    set.at(5) = set.at(4);
    set.at(5).linkOpen01 = "{";
    EXPECT_EQ(convertMessage("go " + L, "text", set), "go (" + L + "|" + L + ")");
}

TEST(LinkConversion, RandomTextsMatchTheDescriptionAndStayLinear)
{
    const QStringList templates[] = { { "[url=", "]", "[/url]", "mailto:" }, { "<a href='", "'>", "</a>", "mailto:" },
        { "", "", "", "" }, { " @", "http://", " ", "@" } };
    // Short texts built from the pieces that matter: schemes, @, delimiters, dots.
    const QStringList pieces = { "http://", "https://", "HTTP://", "@", " ", "\r", "\n", "\r\n", ".", ",", "?", "!",
        "a", "b.c", "x@y", "www", "/", "h", "ttp://" };
    // Long ones in which links and addresses run into each other with and
    // without delimiters, so that every walk back and every scan meets markup.
    const QStringList mixed = { "http://a.b/c", "https://q.r/s@t", "me@x.org", "@", ",", " ", "\r\n", ".", "x",
        "HTTP://U@V.W", "a@b.c,", "!" };
    QRandomGenerator rng(20261208);
    for (int round = 0; round < 4300; ++round) {
        const ConvertInput in = withTemplate(
            round < 4000 ? randomText(rng, pieces, 24) : randomText(rng, mixed, 400), templates[round % 4]);
        const QString out = convert(in);
        ASSERT_EQ(out, reference(in)) << qPrintable(in.text);
        ASSERT_LE(out.size(), convertOutputBound(in)) << qPrintable(in.text);
    }
}

TEST(LinkConversion, EmptyTemplatesOnlyDoubleTheConvertedSpans)
{
    EXPECT_EQ(convertLinks("a " + L + " b", "", "", "", ""), "a " + L + " " + L + " b");
    EXPECT_EQ(convertLinks("to x@y.z", "", "", "", ""), "to x@y.zx@y.z");
    // Random texts on empty templates are checked against the reference converter.
}

TEST(LinkConversion, CommaSeparatedAddressesAreEachWrappedOnce)
{
    QString text = QStringLiteral("mail ");
    QString expected = text;
    for (int i = 0; i < 40; ++i) {
        const QString address = QStringLiteral("%1@x%2.org").arg(QChar('a' + i % 26)).arg(i);
        text += address;
        if (i < 39) {
            text += QLatin1Char(',');
            expected += mail(address + QLatin1Char(','));
        } else {
            expected += mail(address);
        }
    }
    const QString out = ubb(text);
    EXPECT_EQ(out, expected);
    EXPECT_LE(out.size(), convertOutputBound({ text }));
}

TEST(LinkConversion, RegressionInputs)
{
    // Inputs the fuzzer found, and hand-made hostile ones, read as the fuzz
    // target reads them: each must convert to output linear in its text.
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/convert-regressions"));
    const QStringList files = dir.entryList(QDir::Files);
    EXPECT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        const ConvertInput in = convertInputFromBytes(readBytes(dir.filePath(name)));
        const QString out = convert(in);
        EXPECT_LE(out.size(), convertOutputBound(in)) << qPrintable(name);
        EXPECT_EQ(out, reference(in)) << qPrintable(name);
    }
}
