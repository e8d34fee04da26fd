#pragma once

#include "platform/desktop_services.h"
#include "platform/dialog_service.h"

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
    bool input(QWidget *, const QString &, const QString &, QString *value) override
    {
        if (inputAnswers.isEmpty())
            return false;
        *value = inputAnswers.takeFirst();
        return true;
    }
    QString lastText() const { return boxes.isEmpty() ? QString() : boxes.last().text; }

    QList<Box> boxes;
    QStringList inputAnswers;
    QList<bool> answers;
    int questions = 0;
    // Runs while a box is "open": what the user does meanwhile.
    std::function<void()> onMessage;
    std::function<void()> onQuestion;
};

class RecordingDesktop : public DesktopServices {
public:
    void setClipboardText(const QString &text) override { clipboard = text; }
    void openUrl(const QString &address) override { opened.append(address); }

    QString clipboard;
    QStringList opened;
};
