#include "platform/tray_notifier.h"

#include "platform/desktop_notifier.h"
#include "platform/identity.h"
#include "ui/program_icon.h"

#include <QSystemTrayIcon>

TrayNotifier::TrayNotifier(QObject *parent)
    : Notifier(parent)
{
}

QSystemTrayIcon *TrayNotifier::trayIcon()
{
    // Shown from the first news on, not before: an idle program needs no icon there.
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(programIcon(), this);
        m_tray->setToolTip(Identity::productName());
        connect(m_tray, &QSystemTrayIcon::messageClicked, this, &Notifier::activated);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                emit activated();
        });
    }
    return m_tray;
}

void TrayNotifier::notify(const QString &title, const QString &text, int count)
{
    // The tray may come and go with the desktop's panels: asked anew each time.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        QSystemTrayIcon *tray = trayIcon();
        tray->setToolTip(QStringLiteral("%1: %2 new replies").arg(Identity::productName()).arg(count));
        tray->show();
        tray->showMessage(title, text, QSystemTrayIcon::Information);
        return;
    }
    if (!m_desktop) {
        m_desktop = new DesktopNotifier(this);
        connect(m_desktop, &Notifier::activated, this, &Notifier::activated);
    }
    m_desktop->notify(title, text, count);
}
