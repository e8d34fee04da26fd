#pragma once

#include "net/fetch_address.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// Which links of a thread's pages lead to other pages of the same thread.
//
// A page component is one part of an address that carries a page number: a
// last path segment "page-2", "page2" or "comment-page-2", the last two
// segments "page/2", or a query parameter page, start, cpage or pg with a
// number. A link is a page of the thread when it is on the watched page's
// host, port and scheme, and it equals the watched address once at most one
// page component is taken out of each. So from "/t/5" the pages are
// "/t/5?page=3" and "/t/5/page/3"; from "/t/5?page=2" (a watch on page 2)
// they are those and "/t/5" itself, which is page 1 of threads whose first
// page carries no number, or the newest page of threads shown newest first.
// Two page components more, or any other part changed, is another thread.
//
// A rel="next" link may also add one other component ending in a number
// ("?pagenum=2", "/p2"), or change the number at the end of one component
// when what stays before the number holds the thread's own number, as
// "topic=5.0" to "topic=5.15" does; "t=5" to "t=6" is the next thread.
//
// Trailing "/" and the order of query parameters do not make another page.
class ThreadLinks {
public:
    struct Page {
        FetchAddress address;
        QString key; // equal for two addresses of one page
        qint64 number = -1; // the page number the address carries, -1 for none
    };

    // watched: the first page as fetched, after its redirects.
    explicit ThreadLinks(const FetchAddress &watched, quint16 httpPort = 80);

    // The page an href leads to, resolved against base (the page's address,
    // or its <base>), when that is a page of this thread. An empty or
    // fragment-only href stays on the page it is on: it leads to no page.
    std::optional<Page> pageOf(const FetchAddress &base, QByteArrayView href, bool relNext) const;
    // Where an href leads from base, whatever it is.
    std::optional<FetchAddress> resolve(const FetchAddress &base, const QByteArray &href) const;

    static QString keyOf(const FetchAddress &address);
    // The page number of the watched page, -1 for none.
    qint64 watchedNumber() const { return m_watchedNumber; }

    struct Parts {
        QString origin;
        QList<QByteArray> segments; // without a trailing empty one
        QList<QByteArray> query; // "name=value" items, sorted, none empty
        QString canonical() const;
    };
    // The address with none or one page component taken out, and the page
    // number taken out with it (-1 for the address itself).
    struct Variant {
        Parts parts;
        qint64 number = -1;
    };
    static Parts partsOf(const FetchAddress &address);
    static QList<Variant> variantsOf(const Parts &parts);

private:
    bool sameOrigin(const FetchAddress &address) const;
    // A quick look at the text of an href: true when it can be no page of the
    // thread by the plain rule. Most links of a page end here, unresolved.
    // target: where a plain href leads on this host, path and query, when it
    // could be told (it stays null otherwise).
    bool surelyNoPage(const FetchAddress &base, QByteArrayView href, QByteArrayView *target) const;
    std::optional<Page> evaluate(const FetchAddress &base, QByteArrayView href, bool relNext) const;
    std::optional<qint64> nextPageNumber(const Parts &link) const;

    FetchAddress m_watched;
    quint16 m_httpPort;
    QList<Variant> m_variants;
    QList<QString> m_canonicals;
    QByteArray m_stemPath; // the watched path without its page segments, and without a trailing "/"
    QList<QByteArray> m_stemQuery; // the watched query's items that carry no page number
    QByteArray m_host; // the watched host's name
    bool m_stemPlain = false; // the stem path is written as any link would write it
    // Reused from link to link.
    mutable QString m_basePathText;
    mutable QByteArray m_basePath;
    mutable qsizetype m_basePathEnd = 0; // where its query begins
    mutable qsizetype m_baseDirEnd = 0; // after its last "/"
    mutable char m_scratch[1024];
    static constexpr int kMaxMemo = 512;
    mutable QHash<QByteArray, std::optional<Page>> m_memo;
    mutable QByteArray m_key;
    qint64 m_watchedNumber = -1;
};
