#pragma once

#include "platform/dialog_service.h"

// Dialogs on Qt's message and input boxes.
class QtDialogService : public DialogService {
public:
    void message(QWidget *parent, const QString &text, const QString &title, Icon icon) override;
    bool ask(QWidget *parent, const QString &text, const QString &title, Choice choice) override;
    bool input(QWidget *parent, const QString &prompt, const QString &title, QString *value) override;
    bool choose(
        QWidget *parent, const QString &prompt, const QString &title, const QStringList &items, int *index) override;
};
