#include "ui/skin.h"

#include "ui/program_icon.h"
#include "ui/skin_style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTextBrowser>
#include <QWidget>

namespace {
const Skin *g_skin = nullptr;
} // namespace

Skin::Skin()
    : m_back(0xE4, 0xEE, 0xFB)
    , m_fore(0x0B, 0x24, 0x47)
    , m_panel(0x2B, 0x5F, 0xAE)
    , m_panelText(0xFF, 0xFF, 0xFF)
{
}

void Skin::apply(QWidget *window) const
{
    if (!window)
        return;
    // One style for the whole program, set before the first window is built
    // where possible: setting it later polishes every widget again.
    if (qApp && !qobject_cast<SkinStyle *>(QApplication::style()))
        QApplication::setStyle(new SkinStyle(*this));
    window->setProperty("skin", description());
}

const Skin *currentSkin()
{
    return g_skin;
}

void setCurrentSkin(const Skin *skin)
{
    g_skin = skin;
}

QString controlTypeName(const QWidget *w)
{
    if (w->property("skinLabel").toBool())
        return QStringLiteral("SkinLabel");
    if (w->property("pictureBox").toBool())
        return QStringLiteral("PictureBox");
    if (qobject_cast<const QCheckBox *>(w))
        return QStringLiteral("CheckBox");
    if (qobject_cast<const QRadioButton *>(w))
        return QStringLiteral("OptionButton");
    if (qobject_cast<const QAbstractButton *>(w))
        return QStringLiteral("CommandButton");
    if (qobject_cast<const QTextBrowser *>(w))
        return QStringLiteral("RichTextBox");
    if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w)
        || qobject_cast<const QTextEdit *>(w))
        return QStringLiteral("TextBox");
    if (qobject_cast<const QComboBox *>(w))
        return QStringLiteral("ComboBox");
    if (qobject_cast<const QListWidget *>(w))
        return QStringLiteral("ListBox");
    if (qobject_cast<const QAbstractItemView *>(w))
        return QStringLiteral("ListView");
    if (qobject_cast<const QTabBar *>(w))
        return QStringLiteral("TabStrip");
    if (qobject_cast<const QLabel *>(w))
        return QStringLiteral("Label");
    if (qobject_cast<const QGroupBox *>(w) || qobject_cast<const QFrame *>(w))
        return QStringLiteral("Frame");
    return QString::fromLatin1(w->metaObject()->className());
}

void recolorControls(QWidget *window, const QColor &back, const QColor &fore, const QColor &panel)
{
    static const QStringList textLike = { QStringLiteral("TextBox"), QStringLiteral("ComboBox"),
        QStringLiteral("FileListBox"), QStringLiteral("DirListBox"), QStringLiteral("DriveListBox"),
        QStringLiteral("ListBox"), QStringLiteral("ListView") };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QString type = controlTypeName(w);
        QPalette p = w->palette();
        if (type == QLatin1String("CommandButton")) {
            p.setColor(QPalette::Button, back);
        } else if (textLike.contains(type)) {
            p.setColor(QPalette::Base, back);
            p.setColor(QPalette::Text, fore);
        } else if (type == QLatin1String("PictureBox")) {
            p.setColor(QPalette::Window, panel);
            w->setAutoFillBackground(true);
        } else {
            continue;
        }
        w->setPalette(p);
    }
}

void applySkin(QWidget *window)
{
    const Skin *skin = currentSkin();
    if (!skin || !window)
        return;
    recolorControls(window, skin->backColor(), skin->foreColor(), skin->panelColor());
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (qobject_cast<QStatusBar *>(label->parentWidget()) || controlTypeName(label) != QLatin1String("Label"))
            continue;
        // The skin draws labels in its own colour; a label already polished is polished again.
        label->setProperty("skinLabel", true);
        if (label->testAttribute(Qt::WA_WState_Polished))
            label->style()->polish(label);
    }
    skin->apply(window);
}

void setWindowIcon(QWidget *window, const QString &iconName, bool alsoTopOwner)
{
    const QIcon icon = programIcon(iconName);
    if (alsoTopOwner && qApp)
        QApplication::setWindowIcon(icon);
    window->setWindowIcon(icon);
}

void setOnTop(QWidget *window, bool onTop)
{
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        window->show();
}
