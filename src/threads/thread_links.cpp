#include "threads/thread_links.h"

#include "threads/page_components.h"

#include <algorithm>
#include <cstring>
#include <iterator>

using namespace PageComponents;

namespace {

// "." or ".." as a whole segment of the path, which resolving takes out.
bool hasDotSegment(QByteArrayView ref)
{
    for (qsizetype i = 0; i < ref.size(); ++i) {
        const char c = ref[i];
        if (c == '?' || c == '#')
            return false;
        if (c != '.' || (i > 0 && ref[i - 1] != '/'))
            continue;
        qsizetype end = i + 1;
        if (end < ref.size() && ref[end] == '.')
            ++end;
        if (end == ref.size() || ref[end] == '/' || ref[end] == '?' || ref[end] == '#')
            return true;
    }
    return false;
}

// The items of one sorted list that the other lacks, counting repeats.
QList<QByteArray> without(const QList<QByteArray> &from, const QList<QByteArray> &taken)
{
    QList<QByteArray> rest = from;
    for (const QByteArray &item : taken)
        rest.removeOne(item);
    return rest;
}

} // namespace

ThreadLinks::ThreadLinks(const FetchAddress &watched, quint16 httpPort)
    : m_watched(watched)
    , m_httpPort(httpPort)
{
    m_variants = variantsOf(partsOf(watched));
    qsizetype fewest = -1;
    for (const Variant &v : std::as_const(m_variants)) {
        m_canonicals.append(v.parts.canonical());
        m_watchedNumber = std::max(m_watchedNumber, v.number);
        if (fewest < 0 || v.parts.segments.size() < fewest) {
            fewest = v.parts.segments.size();
            m_stemPath.clear();
            for (const QByteArray &segment : v.parts.segments)
                m_stemPath += '/' + segment;
        }
    }
    for (const QByteArray &item : m_variants.first().parts.query)
        if (!pageParameterNumber(item))
            m_stemQuery.append(item);
    m_host = watched.hostName.toLatin1();
    m_stemPlain = !m_stemPath.contains('%');
}

bool ThreadLinks::surelyNoPage(const FetchAddress &base, QByteArrayView href, QByteArrayView *target) const
{
    // Only plain hrefs are read here; anything that needs decoding or dot
    // segments taken out goes the whole way. Nothing is allocated per link.
    if (m_stemPlain && href.size() > 1 && href[0] == '/' && href[1] != '/') {
        // Most links of a page part from the thread's path within a few bytes.
        const qsizetype n = std::min(href.size(), m_stemPath.size());
        for (qsizetype i = 0; i < n; ++i) {
            const char c = href[i];
            if (c == '%' || c == '#' || c == '?' || static_cast<unsigned char>(c) >= 0x7f)
                break;
            if (c != m_stemPath[i]) {
                // Unless dot segments later lead back.
                if (!hasDotSegment(href))
                    return true;
                break;
            }
        }
    }
    qsizetype end = href.size(); // where the fragment begins
    qsizetype colon = -1;
    qsizetype slash = -1; // the first "/" or "?"
    for (qsizetype i = 0; i < href.size(); ++i) {
        const char c = href[i];
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f || c == '%' || c == '\\')
            return false;
        if (c == '#') {
            end = i;
            break;
        }
        if (c == '.' && (i == 0 || href[i - 1] == '/')) {
            // "." or ".." as a whole segment goes the whole way.
            qsizetype after = i + 1;
            if (after < href.size() && href[after] == '.')
                ++after;
            if (after == href.size() || href[after] == '/' || href[after] == '?' || href[after] == '#')
                return false;
        }
        if (c == ':' && colon < 0)
            colon = i;
        else if ((c == '/' || c == '?') && slash < 0)
            slash = i;
    }
    const QByteArrayView ref = href.first(end);
    if (ref.isEmpty())
        return true; // the page itself
    if (slash < 0)
        slash = ref.size();
    if (colon >= 0 && colon < slash) {
        // An absolute address: the same origin, or no page.
        const QByteArrayView scheme = ref.first(colon);
        const bool tls = scheme.compare(QByteArrayView("https", 5), Qt::CaseInsensitive) == 0;
        if (!tls && scheme.compare(QByteArrayView("http", 4), Qt::CaseInsensitive) != 0)
            return colon > 0;
        const QByteArrayView rest = ref.sliced(colon + 1);
        if (!rest.startsWith("//"))
            return false;
        qsizetype hostEnd = 2;
        while (hostEnd < rest.size() && rest[hostEnd] != '/' && rest[hostEnd] != '?')
            ++hostEnd;
        QByteArrayView host = rest.sliced(2, hostEnd - 2);
        if (host.contains('@') || host.contains('['))
            return false;
        int port = tls ? 443 : m_httpPort;
        const qsizetype portAt = host.indexOf(':');
        if (portAt >= 0) {
            const QByteArrayView digits = host.sliced(portAt + 1);
            if (digits.isEmpty() || digits.size() > 5)
                return false;
            port = 0;
            for (const char c : digits) {
                if (c < '0' || c > '9')
                    return false;
                port = port * 10 + (c - '0');
            }
            host = host.first(portAt);
        }
        if (tls != m_watched.tls || port != m_watched.port || host.compare(m_host, Qt::CaseInsensitive) != 0)
            return true;
        *target = rest.sliced(hostEnd);
    } else if (ref.startsWith("//")) {
        return false;
    } else if (ref.startsWith('/')) {
        *target = ref;
    } else {
        if (base.path != m_basePathText) {
            m_basePathText = base.path;
            m_basePath = base.path.toLatin1();
            const qsizetype q = m_basePath.indexOf('?');
            m_basePathEnd = q < 0 ? m_basePath.size() : q;
            m_baseDirEnd = m_basePath.lastIndexOf('/', m_basePathEnd - 1) + 1;
        }
        const qsizetype prefix = ref[0] == '?' ? m_basePathEnd : m_baseDirEnd;
        if (prefix + ref.size() > qsizetype(sizeof(m_scratch)))
            return false;
        std::memcpy(m_scratch, m_basePath.constData(), static_cast<size_t>(prefix));
        std::memcpy(m_scratch + prefix, ref.data(), static_cast<size_t>(ref.size()));
        *target = QByteArrayView(m_scratch, prefix + ref.size());
    }
    const qsizetype q = target->indexOf('?');
    QByteArrayView path = q < 0 ? *target : target->first(q);
    while (path.endsWith('/'))
        path.chop(1);
    // The thread's path, or that and one page component.
    if (path != QByteArrayView(m_stemPath)) {
        if (!path.startsWith(m_stemPath) || path.at(m_stemPath.size()) != '/')
            return true;
        const QByteArrayView rest = path.sliced(m_stemPath.size() + 1);
        const bool pageSegment = !rest.contains('/') && pageSegmentNumber(rest);
        const bool pageSlashNumber
            = rest.size() > 5 && rest.first(5).compare("page/", Qt::CaseInsensitive) == 0 && numberOf(rest.sliced(5));
        if (!pageSegment && !pageSlashNumber)
            return true;
    }
    // The query's items without a page number are the watched page's.
    qsizetype items = 0;
    if (q >= 0) {
        QByteArrayView query = target->sliced(q + 1);
        while (!query.isEmpty()) {
            const qsizetype amp = query.indexOf('&');
            const QByteArrayView item = amp < 0 ? query : query.first(amp);
            query = amp < 0 ? QByteArrayView() : query.sliced(amp + 1);
            if (item.isEmpty() || pageParameterNumber(item))
                continue;
            ++items;
            if (std::none_of(m_stemQuery.begin(), m_stemQuery.end(),
                    [&](const QByteArray &stem) { return QByteArrayView(stem) == item; }))
                return true;
        }
    }
    return items != m_stemQuery.size();
}

bool ThreadLinks::sameOrigin(const FetchAddress &address) const
{
    return address.tls == m_watched.tls && address.port == m_watched.port
        && address.hostName.compare(m_watched.hostName, Qt::CaseInsensitive) == 0;
}

std::optional<FetchAddress> ThreadLinks::resolve(const FetchAddress &base, const QByteArray &href) const
{
    // Browsers drop tabs and line breaks anywhere in an address.
    QByteArray cleaned = href;
    cleaned.replace('\t', QByteArray()).replace('\n', QByteArray()).replace('\r', QByteArray());
    const RedirectTarget target = resolveRedirect(base, cleaned, m_httpPort);
    if (!target.ok)
        return std::nullopt;
    return target.next;
}

std::optional<ThreadLinks::Page> ThreadLinks::pageOf(const FetchAddress &base, QByteArrayView href, bool relNext) const
{
    QByteArrayView target;
    if (surelyNoPage(base, href, &target) && !relNext)
        return std::nullopt;
    // The links that pass are a page's few page links, written alike on
    // every page of the thread: each is worked out once.
    const bool keyed = target.data() != nullptr;
    if (keyed) {
        m_key.resize(0);
        m_key.append(relNext ? '+' : '-').append(target);
        const auto known = m_memo.constFind(m_key);
        if (known != m_memo.constEnd())
            return *known;
    }
    const std::optional<Page> page = evaluate(base, href, relNext);
    if (keyed) {
        if (m_memo.size() >= kMaxMemo)
            m_memo.clear();
        m_memo.insert(QByteArray(m_key.constData(), m_key.size()), page);
    }
    return page;
}

std::optional<ThreadLinks::Page> ThreadLinks::evaluate(
    const FetchAddress &base, QByteArrayView href, bool relNext) const
{
    const std::optional<FetchAddress> address = resolve(base, href.toByteArray());
    if (!address || !sameOrigin(*address))
        return std::nullopt;
    const Parts parts = partsOf(*address);
    Page page { *address, parts.canonical(), -1 };
    bool member = false;
    for (const Variant &v : variantsOf(parts)) {
        if (m_canonicals.contains(v.parts.canonical())) {
            member = true;
            page.number = std::max(page.number, v.number);
        }
    }
    if (!member && relNext) {
        const std::optional<qint64> number = nextPageNumber(parts);
        if (!number)
            return std::nullopt;
        member = true;
        page.number = *number;
    }
    if (!member)
        return std::nullopt;
    return page;
}

std::optional<qint64> ThreadLinks::nextPageNumber(const Parts &link) const
{
    for (const Variant &v : m_variants) {
        const Parts &a = v.parts;
        if (link.query == a.query) {
            // One more path segment ending in a number, or one segment's number changed.
            if (link.segments.size() == a.segments.size() + 1
                && std::equal(a.segments.begin(), a.segments.end(), link.segments.begin())) {
                if (const int digits = trailingDigits(link.segments.last()))
                    return link.segments.last().right(digits).toLongLong();
            }
            if (link.segments.size() == a.segments.size()) {
                int differing = 0;
                std::optional<qint64> number;
                for (qsizetype i = 0; i < a.segments.size(); ++i) {
                    if (a.segments[i] != link.segments[i]) {
                        ++differing;
                        number = sameStemNumber(a.segments[i], link.segments[i]);
                    }
                }
                if (differing == 1 && number)
                    return number;
            }
        }
        if (link.segments == a.segments) {
            const QList<QByteArray> added = without(link.query, a.query);
            const QList<QByteArray> removed = without(a.query, link.query);
            // One more parameter with a number, or one parameter's number changed.
            if (added.size() == 1 && removed.isEmpty()) {
                const qsizetype eq = added.first().indexOf('=');
                if (eq > 0)
                    if (const auto number = numberOf(added.first().mid(eq + 1)))
                        return number;
            }
            if (added.size() == 1 && removed.size() == 1)
                if (const auto number = sameStemNumber(removed.first(), added.first()))
                    return number;
        }
    }
    return std::nullopt;
}
