#include "browser/message_delivery.h"

#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "platform/identity.h"
#include "platform/web_browser.h"

#include <QUrl>

namespace {
// The host name of an address, in lower case; empty when it names none.
QString hostOf(const QString &address)
{
    if (address.trimmed().isEmpty())
        return QString();
    return QUrl::fromUserInput(address).host().toLower();
}
} // namespace

MessageDelivery::MessageDelivery(WebBrowser &browser, DesktopServices &desktop, DialogService &dialogs)
    : m_browser(browser)
    , m_desktop(desktop)
    , m_dialogs(dialogs)
{
}

void MessageDelivery::paste(const QString &text)
{
    m_browser.setFocus();
    m_browser.typeText(text);
}

bool MessageDelivery::pastePassword(const QString &password, const QString &forumAddress)
{
    const QString page = m_browser.locationUrl();
    const QString pageHost = hostOf(page);
    const QString forumHost = hostOf(forumAddress);
    if (pageHost.isEmpty() || pageHost != forumHost) {
        const QString shown = pageHost.isEmpty() ? page : pageHost;
        const QString text = forumHost.isEmpty()
            ? QStringLiteral("This page is on %1, and the login belongs to no forum of your list. "
                             "Type the password anyway?")
                  .arg(shown)
            : QStringLiteral("This page is on %1, the login is for %2. Type the password anyway?")
                  .arg(shown, forumHost);
        if (!m_dialogs.ask(nullptr, text, Identity::productName(), DialogService::Choice::YesNo))
            return false;
    }
    paste(password);
    return true;
}

void MessageDelivery::copy(const QString &text)
{
    m_desktop.setClipboardText(text);
}

void MessageDelivery::preview(const QString &text)
{
    m_dialogs.message(nullptr, text, QStringLiteral("message preview"));
}
