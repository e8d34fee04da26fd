#pragma once

#include "net/fetch_address.h"

#include <QString>

// Every failure of a page fetch has a number. Those of the connection are in
// the style of the classic socket error codes; those of the fetch itself sit
// in a gap of that range (109xx), so none is mistaken for one. Users and
// scripts see the numbers: they never change.
namespace FetchError {
enum Number {
    // The connection (SocketControl).
    OtherError = 10000,
    ConnectionReset = 10054,
    NetworkUnreachable = 10051,
    TimedOut = 10060,
    ConnectionRefused = 10061,
    SecureFailure = 10071,
    HostNotFound = 11001,
    // An address with nothing to connect to, as it always was numbered.
    NoHost = 10049,
    // The fetch.
    DeadlinePassed = 10901,
    PageTooLarge = 10902,
    IncompletePage = 10903,
    TooManyRedirects = 10904,
    UnsupportedRedirect = 10905,
    MalformedResponse = 10906,
    PageStatus = 10907,
    UnsupportedAddress = 10908,
    InvalidPort = 10909,
};

QString deadlineText(int deadlineMs);
QString pageTooLargeText(qint64 maxBodyBytes);
QString incompletePageText();
QString tooManyRedirectsText(int maxRedirects);
QString unsupportedRedirectText(const QString &reason);
QString malformedResponseText();
// A page of a thread that answered with anything but success.
QString pageStatusText(int status);
QString noHostText(const QString &address);

// Why an address cannot be fetched at all: unsupported address (another
// scheme than http and https, or a user name in it), invalid port or no
// host, with its text; number 0 when it can be.
struct AddressFault {
    int number = 0;
    QString description;
};
AddressFault addressFault(const QString &written, const FetchAddress &address);
} // namespace FetchError
