#pragma once

#include "platform/desktop_services.h"
#include "platform/dialog_service.h"

#include <QString>
#include <QStringList>

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
};

class RecordingDesktop : public DesktopServices {
public:
    void setClipboardText(const QString &text) override { clipboard = text; }
    void openUrl(const QString &address) override { opened.append(address); }

    QString clipboard;
    QStringList opened;
};
