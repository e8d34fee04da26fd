#pragma once

#include <QString>

// The failures of a page fetch that are not socket errors, with numbers in
// the style of the classic socket error codes (those stay in SocketControl).
// The numbers sit in a gap of that range, so none is mistaken for one.
namespace FetchError {
enum Number {
    DeadlinePassed = 10901,
    PageTooLarge = 10902,
    IncompletePage = 10903,
    TooManyRedirects = 10904,
    UnsupportedRedirect = 10905,
    MalformedResponse = 10906,
    PageStatus = 10907,
    // An address with nothing to connect to, as it always was numbered.
    NoHost = 10049,
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
} // namespace FetchError
