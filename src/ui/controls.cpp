#include "ui/controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

QToolButton *pictureButton(QWidget *parent, const char *name, const QString &caption, const QString &tip,
    QStyle::StandardPixmap picture, Qt::ToolButtonStyle style)
{
    auto *b = named<QToolButton>(parent, name);
    b->setText(caption);
    b->setToolTip(tip);
    b->setIcon(parent->style()->standardIcon(picture));
    b->setToolButtonStyle(style);
    return b;
}

QPushButton *pasteButton(QWidget *parent, const char *name, const QString &tip, const QString &accessibleName)
{
    auto *b = named<QPushButton>(parent, name);
    b->setText(QStringLiteral("Paste"));
    b->setToolTip(tip);
    b->setAccessibleName(accessibleName);
    return b;
}

QLabel *labelFor(QWidget *parent, const char *name, const QString &text, QWidget *input)
{
    auto *l = named<QLabel>(parent, name);
    l->setText(text);
    l->setBuddy(input);
    return l;
}

QAction *command(QObject *parent, const char *name, const QString &text, const QKeySequence &shortcut)
{
    auto *a = new QAction(text, parent);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(shortcut);
    return a;
}

QAction *command(QObject *parent, const char *name, const QString &text, QKeySequence::StandardKey shortcut)
{
    QAction *a = command(parent, name, text);
    a->setShortcuts(shortcut);
    return a;
}

void runsCommand(QAbstractButton *button, QAction *action)
{
    QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    auto follow = [button, action, tip = button->toolTip()] {
        button->setEnabled(action->isEnabled());
        const QString keys = action->shortcut().toString(QKeySequence::NativeText);
        if (keys.isEmpty())
            button->setToolTip(tip);
        else
            button->setToolTip(tip.isEmpty() ? keys : QStringLiteral("%1 (%2)").arg(tip, keys));
    };
    QObject::connect(action, &QAction::changed, button, follow);
    follow();
}

void runsPasteCommand(QAbstractButton *button, QAction *action)
{
    button->setFocusPolicy(Qt::NoFocus);
    runsCommand(button, action);
}
