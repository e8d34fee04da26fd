#pragma once

#include <QKeySequence>
#include <QString>
#include <QStyle>

class QAbstractButton;
class QAction;
class QLabel;
class QObject;
class QPushButton;
class QToolButton;
class QWidget;

// A widget of type T with the object name the program's notes and tests know it by.
template <typename T> T *named(QWidget *parent, const char *name)
{
    auto *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

// A button with a picture and a caption, beside or under the picture.
QToolButton *pictureButton(QWidget *parent, const char *name, const QString &caption, const QString &tip,
    QStyle::StandardPixmap picture, Qt::ToolButtonStyle style);
// A button that reads "Paste"; several do, and a screen reader tells them
// apart by their accessible names.
QPushButton *pasteButton(QWidget *parent, const char *name, const QString &tip, const QString &accessibleName);
// A label; one that names an input gives it the name a screen reader reads.
QLabel *labelFor(QWidget *parent, const char *name, const QString &text, QWidget *input);

// A command: one action, named for what it does, that menu items and buttons share.
QAction *command(QObject *parent, const char *name, const QString &text, const QKeySequence &shortcut = {});
QAction *command(QObject *parent, const char *name, const QString &text, QKeySequence::StandardKey shortcut);
// The button runs the command: a click triggers it, it is enabled with it,
// and its tip tells the command's shortcut. The button keeps its own caption.
void runsCommand(QAbstractButton *button, QAction *action);
// A paste button also leaves the keyboard focus in the field of the page
// that the user clicked, where the text is to be typed.
void runsPasteCommand(QAbstractButton *button, QAction *action);
