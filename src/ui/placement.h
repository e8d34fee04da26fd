#pragma once

#include "ui/twips.h"

#include <QString>
#include <QStyle>

class QLabel;
class QToolButton;
class QWidget;

// Small helpers that build the window's controls at their designed places, in twips.
void placeInTwips(QWidget *widget, int left, int top, int width, int height);
void resizeInTwips(QWidget *widget, int width, int height);
void setHeightInTwips(QWidget *widget, int height);
void setWidthInTwips(QWidget *widget, int width);

// A control of type T named name, placed in twips.
template <typename T> T *makeControl(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    placeInTwips(w, left, top, width, height);
    return w;
}

// A button with a picture and a caption, beside or under the picture.
QToolButton *makePictureButton(QWidget *parent, const char *name, const QString &caption, const QString &tip,
    QStyle::StandardPixmap picture, int left, int top, int width, int height, bool captionUnder);
QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height);
// A skinned label that exists from the start.
QLabel *makeSkinLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height);
// Member 0 of a skin-label array: the model the skin copies plain labels of its container to.
QLabel *makeSkinLabelModel(QWidget *container, const char *name);

class QAbstractButton;
class QAction;
// An action that the button triggers: the command the button stands for.
QAction *buttonAction(QAbstractButton *button, const char *actionName);
// A paste button: clicking it leaves the keyboard focus in the field of the
// page that the user clicked, where the text is to be typed.
QAction *pasteButtonAction(QAbstractButton *button, const char *actionName);
