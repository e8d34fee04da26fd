#pragma once

#include <QString>

class QWidget;

// Message boxes and input boxes. Tests replace the service with a recorder.
class DialogService {
public:
    enum class Icon { None, Information, Exclamation };

    virtual ~DialogService() = default;
    // A box with an OK button.
    virtual void message(QWidget *parent, const QString &text, const QString &title, Icon icon = Icon::None) = 0;
    // An input box; returns false when the user cancels.
    virtual bool input(QWidget *parent, const QString &prompt, const QString &title, QString *value) = 0;
};

class QtDialogService : public DialogService {
public:
    void message(QWidget *parent, const QString &text, const QString &title, Icon icon) override;
    bool input(QWidget *parent, const QString &prompt, const QString &title, QString *value) override;
};
