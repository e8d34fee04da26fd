#include "platform/qt_desktop_services.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

void QtDesktopServices::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

void QtDesktopServices::openUrl(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}
