#include "browser/message_delivery.h"

#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "platform/web_browser.h"

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

void MessageDelivery::copy(const QString &text)
{
    m_desktop.setClipboardText(text);
}

void MessageDelivery::preview(const QString &text)
{
    m_dialogs.message(nullptr, text, QStringLiteral("message preview"));
}
