#include "threads/page_components.h"
#include "threads/thread_links.h"

#include <algorithm>

namespace PageComponents {

namespace {

constexpr int kMaxDigits = 9;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int trailingDigits(QByteArrayView text)
{
    int n = 0;
    while (n < text.size() && isDigit(text[text.size() - 1 - n]))
        ++n;
    return n <= kMaxDigits ? n : 0;
}

std::optional<qint64> numberOf(QByteArrayView text)
{
    const int digits = trailingDigits(text);
    if (digits == 0 || digits != text.size())
        return std::nullopt;
    qint64 v = 0;
    for (const char c : text)
        v = v * 10 + (c - '0');
    return v;
}

std::optional<qint64> pageSegmentNumber(QByteArrayView segment)
{
    const int digits = trailingDigits(segment);
    if (digits == 0)
        return std::nullopt;
    QByteArrayView rest = segment.first(segment.size() - digits);
    if (rest.endsWith('-'))
        rest.chop(1);
    if (rest.size() < 4 || rest.last(4).compare("page", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QByteArrayView prefix = rest.first(rest.size() - 4);
    if (!prefix.isEmpty()) {
        if (prefix.size() < 2 || !prefix.endsWith('-'))
            return std::nullopt;
        for (qsizetype i = 0; i + 1 < prefix.size(); ++i) {
            const char c = static_cast<char>(prefix[i] | 0x20);
            if (c < 'a' || c > 'z')
                return std::nullopt;
        }
    }
    return numberOf(segment.last(digits));
}

std::optional<qint64> pageParameterNumber(QByteArrayView item)
{
    const qsizetype eq = item.indexOf('=');
    if (eq < 2 || eq > 5)
        return std::nullopt;
    const QByteArrayView name = item.first(eq);
    auto is = [&name](QByteArrayView known) { return name.compare(known, Qt::CaseInsensitive) == 0; };
    const bool named = eq == 2 ? is("pg") : eq == 4 ? is("page") : eq == 5 && (is("start") || is("cpage"));
    if (!named)
        return std::nullopt;
    return numberOf(item.sliced(eq + 1));
}

std::optional<qint64> sameStemNumber(const QByteArray &from, const QByteArray &to)
{
    const int a = trailingDigits(from);
    const int b = trailingDigits(to);
    if (a == 0 || b == 0)
        return std::nullopt;
    const QByteArray stem = from.left(from.size() - a);
    if (stem.isEmpty() || stem != to.left(to.size() - b))
        return std::nullopt;
    if (std::none_of(stem.begin(), stem.end(), isDigit))
        return std::nullopt;
    return to.right(b).toLongLong();
}

} // namespace PageComponents

using namespace PageComponents;

QString ThreadLinks::Parts::canonical() const
{
    QString text = origin;
    for (const QByteArray &s : segments)
        text += QLatin1Char('/') + QString::fromLatin1(s);
    if (!query.isEmpty()) {
        text += QLatin1Char('?');
        for (qsizetype i = 0; i < query.size(); ++i) {
            if (i > 0)
                text += QLatin1Char('&');
            text += QString::fromLatin1(query[i]);
        }
    }
    return text;
}

ThreadLinks::Parts ThreadLinks::partsOf(const FetchAddress &address)
{
    Parts p;
    p.origin = QStringLiteral("%1://%2:%3")
                   .arg(address.tls ? QLatin1String("https") : QLatin1String("http"), address.hostName.toLower())
                   .arg(address.port);
    const QByteArray target = address.path.toLatin1();
    const qsizetype q = target.indexOf('?');
    const QByteArray path = q < 0 ? target : target.left(q);
    p.segments = path.split('/');
    if (!p.segments.isEmpty() && p.segments.first().isEmpty())
        p.segments.removeFirst();
    if (!p.segments.isEmpty() && p.segments.last().isEmpty())
        p.segments.removeLast();
    if (q >= 0) {
        for (const QByteArray &item : target.mid(q + 1).split('&'))
            if (!item.isEmpty())
                p.query.append(item);
        std::sort(p.query.begin(), p.query.end());
    }
    return p;
}

QList<ThreadLinks::Variant> ThreadLinks::variantsOf(const Parts &parts)
{
    QList<Variant> out { { parts, -1 } };
    const qsizetype n = parts.segments.size();
    if (n >= 1) {
        if (const auto number = pageSegmentNumber(parts.segments.last())) {
            Variant v { parts, *number };
            v.parts.segments.removeLast();
            out.append(v);
        } else if (n >= 2 && parts.segments[n - 2].toLower() == "page") {
            if (const auto number = numberOf(parts.segments.last())) {
                Variant v { parts, *number };
                v.parts.segments.resize(n - 2);
                out.append(v);
            }
        }
    }
    for (qsizetype i = 0; i < parts.query.size(); ++i) {
        if (const auto number = pageParameterNumber(parts.query[i])) {
            Variant v { parts, *number };
            v.parts.query.removeAt(i);
            out.append(v);
        }
    }
    return out;
}

QString ThreadLinks::keyOf(const FetchAddress &address)
{
    return partsOf(address).canonical();
}
