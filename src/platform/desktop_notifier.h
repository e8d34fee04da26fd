#pragma once

#include "platform/notifier.h"

#include <memory>

class NotificationsProxy;

// Desktop notifications over the session bus (org.freedesktop.Notifications).
// Needs no display and no widgets, so postmaven-cli sends them too.
class DesktopNotifier : public Notifier {
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject *parent = nullptr);
    ~DesktopNotifier() override;

    // False when there is no session bus to send to.
    bool isAvailable() const;
    // Sent without waiting for the answer; each notification replaces the
    // one before it, and a click on it raises activated().
    void notify(const QString &title, const QString &text, int count) override;
    // Sent and waited for, for a program that ends right after; false with
    // the reason when it could not be delivered.
    bool sendNow(const QString &title, const QString &text, QString *error);

private:
    std::unique_ptr<NotificationsProxy> m_service;
    uint m_shownId = 0;
};
