#include "net/fetch_address.h"

#include <QCoreApplication>
#include <QList>

#include <algorithm>

namespace {

constexpr char kUserAgent[] = "Postmaven/2.3";

bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Unreserved characters, sub-delimiters, ":", "@", and the "/" and "?" that
// separate path segments and the query.
bool allowedInTarget(char c)
{
    if (isAsciiAlpha(c) || isAsciiDigit(c))
        return true;
    switch (c) {
    case '-':
    case '.':
    case '_':
    case '~':
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
    case ':':
    case '@':
    case '/':
    case '?':
        return true;
    default:
        return false;
    }
}

bool allowedInHostName(char c)
{
    return isAsciiAlpha(c) || isAsciiDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

QString refusalText(const char *text)
{
    return QCoreApplication::translate("FetchAddress", text);
}

bool isAsciiDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The scheme an address begins with, in small letters: letters, digits, "+",
// "-" and "." before a ":", beginning with a letter. A ":" followed by digits
// alone, up to the path, is a host's port: "localhost:8080/x" has no scheme.
QString schemeOf(const QString &s)
{
    auto letter = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    if (s.isEmpty() || !letter(s[0]))
        return QString();
    qsizetype i = 1;
    while (i < s.size()
        && (letter(s[i]) || (s[i] >= u'0' && s[i] <= u'9') || s[i] == u'+' || s[i] == u'-' || s[i] == u'.'))
        ++i;
    if (i == s.size() || s[i] != u':')
        return QString();
    const QStringView rest = QStringView(s).sliced(i + 1);
    if (!rest.startsWith(u"//")) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != u'/' && rest[end] != u'?' && rest[end] != u'#')
            ++end;
        // "about:" alone names no host.
        if (isAsciiDigits(rest.first(end)) && !rest.isEmpty())
            return QString();
    }
    return s.left(i).toLower();
}

// Takes "." and ".." segments out of an absolute path.
QByteArray removeDotSegments(const QByteArray &path)
{
    const QList<QByteArray> in = path.split('/');
    QList<QByteArray> out;
    for (qsizetype i = 1; i < in.size(); ++i) {
        const QByteArray &segment = in[i];
        const bool last = i == in.size() - 1;
        if (segment == ".") {
            if (last)
                out.append(QByteArray());
            continue;
        }
        if (segment == "..") {
            if (!out.isEmpty())
                out.removeLast();
            if (last)
                out.append(QByteArray());
            continue;
        }
        out.append(segment);
    }
    return '/' + out.join('/');
}

struct Reference {
    QByteArray path;
    QByteArray query;
    bool hasQuery = false;
};

Reference splitQuery(const QByteArray &pathAndQuery)
{
    Reference r;
    const qsizetype q = pathAndQuery.indexOf('?');
    if (q < 0) {
        r.path = pathAndQuery;
    } else {
        r.path = pathAndQuery.left(q);
        r.query = pathAndQuery.mid(q + 1);
        r.hasQuery = true;
    }
    return r;
}

QByteArray joinQuery(const QByteArray &path, const Reference &r)
{
    return r.hasQuery ? path + '?' + r.query : path;
}

} // namespace

FetchAddress parseFetchAddress(const QString &address, quint16 defaultPort)
{
    FetchAddress a;
    QString s = address.trimmed();
    a.port = defaultPort;
    if (s.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        s = s.mid(7);
    } else if (s.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        s = s.mid(8);
        a.tls = true;
        a.port = 443;
    } else {
        a.otherScheme = schemeOf(s);
    }
    qsizetype end = 0;
    while (end < s.size() && s[end] != QLatin1Char('/') && s[end] != QLatin1Char('?') && s[end] != QLatin1Char('#'))
        ++end;
    a.host = s.left(end);
    QString rest = s.mid(end);
    // The fragment belongs to the browser; servers never see it.
    const qsizetype hash = rest.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        rest.truncate(hash);
    if (!rest.startsWith(QLatin1Char('/')))
        rest.prepend(QLatin1Char('/'));
    a.path = QString::fromLatin1(requestTarget(rest.toUtf8()));
    a.hostName = a.host;
    a.userInfo = a.host.contains(QLatin1Char('@'));
    // A port written after the host is used; the Host header keeps it. "host:"
    // alone is the default port.
    const qsizetype colon = a.host.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && !a.host.endsWith(QLatin1Char(']'))) {
        const QString port = a.host.mid(colon + 1);
        bool ok = isAsciiDigits(port);
        const uint value = port.isEmpty() ? a.port : port.toUInt(&ok);
        if (ok && value > 0 && value < 65536) {
            a.port = static_cast<quint16>(value);
            a.hostName = a.host.left(colon);
        } else {
            a.badPort = port;
        }
    }
    if (a.hostName.startsWith(QLatin1Char('[')) && a.hostName.endsWith(QLatin1Char(']')))
        a.hostName = a.hostName.mid(1, a.hostName.size() - 2);
    return a;
}

bool hasUsableHost(const FetchAddress &address)
{
    if (address.hostName.trimmed().isEmpty())
        return false;
    // Spaces and line breaks would break the "Host: " line.
    for (const QChar c : address.host)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

QByteArray requestTarget(const QByteArray &pathAndQuery)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(pathAndQuery.size());
    const qsizetype n = pathAndQuery.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = pathAndQuery[i];
        if (allowedInTarget(c)
            || (c == '%' && i + 2 < n && isHexDigit(pathAndQuery[i + 1]) && isHexDigit(pathAndQuery[i + 2]))) {
            out += c;
            continue;
        }
        const auto b = static_cast<unsigned char>(c);
        out += '%';
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

QByteArray buildRequest(const FetchAddress &address)
{
    QByteArray r;
    r += "GET " + requestTarget(address.path.toUtf8()) + " HTTP/1.1\r\n";
    r += "Host: " + address.host.toUtf8() + "\r\n";
    r += "Accept: */*\r\n";
    // Many forum hosts turn away requests that do not name their program.
    r += QByteArray("User-Agent: ") + kUserAgent + "\r\n";
    r += "\r\n";
    return r;
}

QString fetchAddressText(const FetchAddress &address)
{
    return (address.tls ? QLatin1String("https://") : QLatin1String("http://")) + address.host + address.path;
}

RedirectTarget resolveRedirect(const FetchAddress &current, const QByteArray &location, quint16 httpPort)
{
    RedirectTarget result;
    QByteArray ref = location.trimmed();
    const qsizetype hash = ref.indexOf('#');
    if (hash >= 0)
        ref.truncate(hash);

    // A scheme is letters, digits, "+", "-" and "." before the first ":",
    // beginning with a letter.
    QByteArray scheme;
    if (!ref.isEmpty() && isAsciiAlpha(ref[0])) {
        qsizetype i = 1;
        while (i < ref.size()
            && (isAsciiAlpha(ref[i]) || isAsciiDigit(ref[i]) || ref[i] == '+' || ref[i] == '-' || ref[i] == '.'))
            ++i;
        if (i < ref.size() && ref[i] == ':') {
            scheme = ref.left(i).toLower();
            ref = ref.mid(i + 1);
        }
    }
    const QByteArray currentScheme = current.tls ? "https" : "http";
    if (!scheme.isEmpty()) {
        if (scheme != "http" && scheme != "https") {
            result.refusal = refusalText("only http and https addresses are followed");
            return result;
        }
        if (!ref.startsWith("//")) {
            // "http:page" is read as a relative reference when the scheme is
            // the current one, as browsers do.
            if (scheme != currentScheme) {
                result.refusal = refusalText("the address names no valid host");
                return result;
            }
            scheme.clear();
        }
    }

    FetchAddress next;
    if (ref.startsWith("//")) {
        const bool tls = (scheme.isEmpty() ? currentScheme : scheme) == "https";
        qsizetype end = 2;
        while (end < ref.size() && ref[end] != '/' && ref[end] != '?')
            ++end;
        const QByteArray authority = ref.mid(2, end - 2);
        if (authority.contains('@')) {
            result.refusal = refusalText("a user name or password in the address is not sent");
            return result;
        }
        QByteArray host = authority;
        QByteArray port;
        bool portWritten = false;
        if (authority.startsWith('[')) {
            const qsizetype close = authority.indexOf(']');
            if (close < 0) {
                result.refusal = refusalText("the address names no valid host");
                return result;
            }
            host = authority.left(close + 1);
            const QByteArray after = authority.mid(close + 1);
            if (!after.isEmpty()) {
                if (!after.startsWith(':')) {
                    result.refusal = refusalText("the address names no valid host");
                    return result;
                }
                port = after.mid(1);
                portWritten = true;
            }
            const QByteArray inside = host.mid(1, host.size() - 2);
            bool valid = !inside.isEmpty();
            for (const char c : inside)
                valid = valid && (isHexDigit(c) || c == ':' || c == '.');
            if (!valid) {
                result.refusal = refusalText("the address names no valid host");
                return result;
            }
            next.hostName = QString::fromLatin1(inside);
        } else {
            const qsizetype colon = authority.indexOf(':');
            if (colon >= 0) {
                host = authority.left(colon);
                port = authority.mid(colon + 1);
                portWritten = true;
            }
            bool valid = !host.isEmpty();
            for (const char c : host)
                valid = valid && allowedInHostName(c);
            if (!valid) {
                result.refusal = refusalText("the address names no valid host");
                return result;
            }
            next.hostName = QString::fromLatin1(host);
        }
        next.tls = tls;
        next.port = tls ? 443 : httpPort;
        next.host = QString::fromLatin1(host);
        if (portWritten && !port.isEmpty()) {
            bool digits = port.size() <= 5;
            for (const char c : port)
                digits = digits && isAsciiDigit(c);
            const int value = digits ? port.toInt() : 0;
            if (value < 1 || value > 65535) {
                result.refusal = refusalText("the address names no valid port");
                return result;
            }
            next.port = static_cast<quint16>(value);
            next.host += QLatin1Char(':') + QString::fromLatin1(port);
        }
        const Reference r = splitQuery(ref.mid(end));
        const QByteArray path = r.path.isEmpty() ? QByteArray("/") : removeDotSegments(r.path);
        next.path = QString::fromLatin1(requestTarget(joinQuery(path, r)));
    } else {
        next = current;
        const Reference base = splitQuery(current.path.toLatin1());
        const Reference r = splitQuery(ref);
        QByteArray target;
        if (r.path.isEmpty()) {
            target = joinQuery(base.path, r.hasQuery ? r : base);
        } else if (r.path.startsWith('/')) {
            target = joinQuery(removeDotSegments(r.path), r);
        } else {
            const QByteArray dir = base.path.left(base.path.lastIndexOf('/') + 1);
            target = joinQuery(removeDotSegments((dir.isEmpty() ? QByteArray("/") : dir) + r.path), r);
        }
        next.path = QString::fromLatin1(requestTarget(target));
    }
    if (!next.path.startsWith(QLatin1Char('/')))
        next.path.prepend(QLatin1Char('/'));
    if (current.tls && !next.tls) {
        result.refusal = refusalText("a secure page may not lead to an insecure one");
        return result;
    }
    result.ok = true;
    result.next = next;
    return result;
}
