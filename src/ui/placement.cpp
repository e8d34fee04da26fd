#include "ui/placement.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>

void placeInTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

void resizeInTwips(QWidget *widget, int width, int height)
{
    widget->resize(twipsToPixels(width), twipsToPixels(height));
}

void setHeightInTwips(QWidget *widget, int height)
{
    widget->resize(widget->width(), twipsToPixels(height));
}

void setWidthInTwips(QWidget *widget, int width)
{
    widget->resize(twipsToPixels(width), widget->height());
}

QToolButton *makePictureButton(QWidget *parent, const char *name, const QString &caption, const QString &tip,
    QStyle::StandardPixmap picture, int left, int top, int width, int height, bool captionUnder)
{
    auto *b = makeControl<QToolButton>(parent, name, left, top, width, height);
    b->setText(caption);
    b->setToolTip(tip);
    b->setIcon(parent->style()->standardIcon(picture));
    b->setToolButtonStyle(captionUnder ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
    return b;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    auto *l = makeControl<QLabel>(parent, name, left, top, width, height);
    l->setText(text);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QLabel *makeSkinLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    QLabel *l = makeLabel(parent, name, text, left, top, width, height);
    l->setProperty("skinLabel", true);
    return l;
}

QLabel *makeSkinLabelModel(QWidget *container, const char *name)
{
    auto *l = new QLabel(container);
    l->setObjectName(QLatin1String(name));
    l->setProperty("skinLabel", true);
    l->setGeometry(0, 0, 0, 0);
    l->hide();
    return l;
}

QAction *buttonAction(QAbstractButton *button, const char *actionName)
{
    auto *action = new QAction(button->text(), button->parentWidget());
    action->setObjectName(QLatin1String(actionName));
    QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    return action;
}

QAction *pasteButtonAction(QAbstractButton *button, const char *actionName)
{
    button->setFocusPolicy(Qt::NoFocus);
    return buttonAction(button, actionName);
}
