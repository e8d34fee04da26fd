#pragma once

#include <QObject>
#include <QString>

// Tells the user about something found while they may not be looking at the
// window: new replies of a scheduled check. The program shows a tray icon or
// a desktop notification; tests put a recorder in its place.
class Notifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // count: the new replies now listed, for a notifier that keeps a number
    // in view (the tray icon's tooltip).
    virtual void notify(const QString &title, const QString &text, int count) = 0;

signals:
    // The user clicked the notification.
    void activated();
};
