#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Message boxes and input boxes. The program uses real dialogs; tests put a
// recorder in their place.
class DialogService {
public:
    enum class Icon { None, Information, Exclamation };
    enum class Choice { YesNo, RetryCancel };

    virtual ~DialogService() = default;
    // A box with an OK button. A null parent means the active window.
    virtual void message(QWidget *parent, const QString &text, const QString &title, Icon icon = Icon::None) = 0;
    // A question; true for Yes or Retry, false for No or Cancel.
    virtual bool ask(QWidget *parent, const QString &text, const QString &title, Choice choice) = 0;
    // An input box; returns false when the user cancels.
    virtual bool input(QWidget *parent, const QString &prompt, const QString &title, QString *value) = 0;
    // A choice among items (parent, prompt, title, items, index): *index is
    // the item chosen at first and, unless the user cancels (false), the one
    // chosen. A service that offers no choices answers as a user who cancels.
    virtual bool choose(QWidget *, const QString &, const QString &, const QStringList &, int *) { return false; }
};
