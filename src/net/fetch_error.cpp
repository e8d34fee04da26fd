#include "net/fetch_error.h"

#include <QCoreApplication>

namespace FetchError {

namespace {
QString seconds(int ms)
{
    return QString::number(ms / 1000.0);
}
} // namespace

QString deadlineText(int deadlineMs)
{
    return QCoreApplication::translate("FetchError", "The page did not arrive within %1 seconds.")
        .arg(seconds(deadlineMs));
}

QString pageTooLargeText(qint64 maxBodyBytes)
{
    constexpr qint64 mb = 1024 * 1024;
    const QString limit = maxBodyBytes % mb == 0 ? QStringLiteral("%1 MB").arg(maxBodyBytes / mb)
                                                 : QStringLiteral("%1 bytes").arg(maxBodyBytes);
    return QCoreApplication::translate("FetchError", "The page is larger than %1, the most that is measured.")
        .arg(limit);
}

QString pageStatusText(int status)
{
    return QCoreApplication::translate("FetchError", "The server answered with status %1 instead of the page.")
        .arg(status);
}

QString incompletePageText()
{
    return QCoreApplication::translate(
        "FetchError", "Incomplete page: the connection closed before the page was complete.");
}

QString tooManyRedirectsText(int maxRedirects)
{
    return QCoreApplication::translate("FetchError", "The page redirected more than %1 times: too many redirects.")
        .arg(maxRedirects);
}

QString unsupportedRedirectText(const QString &reason)
{
    return QCoreApplication::translate("FetchError", "The page cannot be followed: unsupported redirect (%1).")
        .arg(reason);
}

QString malformedResponseText()
{
    return QCoreApplication::translate(
        "FetchError", "The server's answer cannot be read: its chunked transfer encoding is malformed.");
}

QString noHostText(const QString &address)
{
    return QCoreApplication::translate("FetchError", "The address \"%1\" names no valid host.").arg(address);
}

AddressFault addressFault(const QString &written, const FetchAddress &address)
{
    auto unsupported = [&written](const char *reason) {
        return AddressFault { UnsupportedAddress,
            QCoreApplication::translate("FetchError", "Unsupported address \"%1\": %2.")
                .arg(written, QCoreApplication::translate("FetchError", reason)) };
    };
    if (!address.otherScheme.isEmpty())
        return unsupported("only http and https addresses are fetched");
    if (address.userInfo)
        return unsupported("a user name or password in the address is not sent");
    if (!address.badPort.isNull())
        return { InvalidPort,
            QCoreApplication::translate(
                "FetchError", "Invalid port \"%1\" in the address \"%2\": a port is a number from 1 to 65535.")
                .arg(address.badPort, written) };
    if (!hasUsableHost(address))
        return { NoHost, noHostText(written) };
    return {};
}

} // namespace FetchError
