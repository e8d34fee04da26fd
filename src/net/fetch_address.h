#pragma once

#include <QByteArray>
#include <QString>

// Where a fetch goes: the host (with any port as written) and the request target.
struct FetchAddress {
    QString host; // as sent in the "Host: " header
    QString hostName; // the name connected to
    QString path; // request target: begins with "/", query included, fragment left out, percent-encoded
    quint16 port = 80;
    bool tls = false;
    // What keeps the address as written from being fetched (see FetchError::addressFault).
    QString otherScheme; // a scheme other than http and https, in small letters
    QString badPort; // what follows the host's ":" when it is no port from 1 to 65535
    bool userInfo = false; // a user name or password before the host
};

// "http://" (any letter case) is taken off the front; "https://" means TLS on
// port 443. The host ends at the first "/", "?" or "#"; the rest is the path.
// An address without a scheme is a host and a path; "host:8080/x" is a host
// with its port, "javascript:x" and "ftp://x/" are of other schemes.
FetchAddress parseFetchAddress(const QString &address, quint16 defaultPort = 80);

// A host that can be connected to and written into the "Host: " line.
bool hasUsableHost(const FetchAddress &address);

// Percent-encodes every byte that may not stand in a request target (spaces,
// controls, non-ASCII, "#"); a "%" followed by two hex digits stays as it is.
QByteArray requestTarget(const QByteArray &pathAndQuery);

QByteArray buildRequest(const FetchAddress &address);

// The address as text that parseFetchAddress reads back to the same place
// (a port left out is the default it is given).
QString fetchAddressText(const FetchAddress &address);

// Where a redirect leads, or why it is not followed.
struct RedirectTarget {
    bool ok = false;
    FetchAddress next;
    QString refusal;
};

// Resolves a Location header against the address that answered with it.
// A relative Location keeps host and port; an absolute one without a port
// uses its scheme's default (httpPort for http, 443 for https). Only http and
// https are followed, never with user information, and never from https to http.
RedirectTarget resolveRedirect(const FetchAddress &current, const QByteArray &location, quint16 httpPort = 80);
