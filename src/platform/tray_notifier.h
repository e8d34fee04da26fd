#pragma once

#include "platform/notifier.h"

class DesktopNotifier;
class QSystemTrayIcon;

// The window's notifier: an icon in the desktop's tray, which shows the count
// of new replies in its tooltip and pops up a message; on a desktop without a
// tray, a desktop notification over the session bus.
class TrayNotifier : public Notifier {
    Q_OBJECT
public:
    explicit TrayNotifier(QObject *parent = nullptr);

    void notify(const QString &title, const QString &text, int count) override;

private:
    QSystemTrayIcon *trayIcon();

    QSystemTrayIcon *m_tray = nullptr;
    DesktopNotifier *m_desktop = nullptr;
};
