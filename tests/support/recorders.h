#pragma once

#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "platform/notifier.h"

#include <QString>
#include <QStringList>

#include <functional>

// Records message boxes instead of showing them.
class RecordingDialogs : public DialogService {
public:
    struct Box {
        QString text;
        QString title;
        Icon icon;
    };
    void message(QWidget *, const QString &text, const QString &title, Icon icon) override
    {
        boxes.append({ text, title, icon });
        if (onMessage)
            onMessage();
    }
    // Questions are recorded as boxes too, and answered from answers in
    // turn; with none left the answer is No or Cancel.
    bool ask(QWidget *, const QString &text, const QString &title, Choice) override
    {
        boxes.append({ text, title, Icon::Exclamation });
        ++questions;
        if (onQuestion)
            onQuestion();
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    // The program asks for no input: the user would cancel.
    bool input(QWidget *, const QString &, const QString &, QString *) override { return false; }
    // Choices are answered from choiceAnswers in turn; with none left the
    // user cancels.
    bool choose(QWidget *, const QString &, const QString &, const QStringList &items, int *index) override
    {
        choiceItems = items;
        choiceOffered = *index;
        if (choiceAnswers.isEmpty())
            return false;
        *index = choiceAnswers.takeFirst();
        return true;
    }
    QString lastText() const { return boxes.isEmpty() ? QString() : boxes.last().text; }

    QList<Box> boxes;
    QList<bool> answers;
    QList<int> choiceAnswers;
    QStringList choiceItems;
    int choiceOffered = -1;
    int questions = 0;
    // Runs while a box is "open": what the user does meanwhile.
    std::function<void()> onMessage;
    std::function<void()> onQuestion;
};

// Records notifications instead of showing them.
class RecordingNotifier : public Notifier {
public:
    struct Note {
        QString title;
        QString text;
        int count;
    };
    void notify(const QString &title, const QString &text, int count) override { notes.append({ title, text, count }); }

    QList<Note> notes;
};

class RecordingDesktop : public DesktopServices {
public:
    void setClipboardText(const QString &text) override { clipboard = text; }
    void openUrl(const QString &address) override { opened.append(address); }

    QString clipboard;
    QStringList opened;
};
