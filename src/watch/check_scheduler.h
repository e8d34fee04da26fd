#pragma once

#include "watch/new_replies_model.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>

class DialogService;
class Notifier;
class ReplyCheckRun;
class SettingsStore;

// Starts the reply check run on a schedule while the window is open, never
// while a run is busy, and tells the notifier when one of its runs finds new
// replies. A post stays listed by every run until it is watched again, so
// only a run that lists a post not told before notifies: nobody is told the
// same news every fifteen minutes.
class CheckScheduler : public QObject {
    Q_OBJECT
public:
    // The choices of the Tools menu, in minutes; 0 is off.
    static QList<int> choices() { return { 0, 15, 60, 360 }; }
    static QStringList choiceNames();
    // The stored text as one of the choices; anything else is off.
    static int minutesFromSetting(const QString &text);
    // "2 new replies found" and the first few addresses, one a line, each
    // with the start of the text added under it.
    static QString notificationText(const QList<NewReply> &found);

    CheckScheduler(ReplyCheckRun &run, Notifier *notifier, QObject *parent = nullptr);

    // The interval kept in the settings ("Settings"/"autoCheckMinutes").
    void restore(const SettingsStore &settings);
    // Tools, "Check Replies Automatically": asks for the interval and keeps it.
    void chooseInterval(DialogService &dialogs, SettingsStore &settings);

    void setIntervalMinutes(int minutes);
    // Zero or less turns the schedule off. Tests use milliseconds.
    void setInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds interval() const { return m_timer.intervalAsDuration(); }
    bool isActive() const { return m_timer.isActive(); }

signals:
    // A scheduled run ended; told: whether the notifier was told.
    void runFinished(int newReplies, bool told);

private:
    void onTimeout();
    void onFinished(int newReplies);

    ReplyCheckRun &m_run;
    Notifier *m_notifier;
    QTimer m_timer;
    QSet<QString> m_told;
    bool m_starting = false;
    bool m_ownRun = false;
};
