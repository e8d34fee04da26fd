#include "ui/skin.h"

#include "ui/program_icon.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QOperatingSystemVersion>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegion>
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

QString Skin::styleSheet() const
{
    // Glossy blue: buttons with a light top half and a deeper lower half.
    return QStringLiteral(R"(
QMainWindow, QDialog, QWidget#central { background: #dfe9f8; }
QMenuBar { background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #f4f8fe, stop:1 #c9dbf3); color: #0b2447; }
QMenuBar::item:selected { background: #2b5fae; color: white; border-radius: 3px; }
QMenu { background: #f4f8fe; color: #0b2447; border: 1px solid #7f9fcc; }
QMenu::item:selected { background: #2b5fae; color: white; }
QGroupBox { border: 1px solid #7f9fcc; border-radius: 6px; margin-top: 9px;
            background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #f2f7fe, stop:1 #dbe7f7); }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 4px; color: #13407f; font-weight: bold; }
QToolButton, QPushButton { color: #0b2447; border: 1px solid #5d83bb; border-radius: 5px; padding: 1px;
            background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #ffffff, stop:0.48 #dce9fa, stop:0.52 #bcd3f2, stop:1 #a9c6ee); }
QToolButton:hover, QPushButton:hover { border-color: #2b5fae;
            background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #ffffff, stop:0.48 #e7f1fd, stop:0.52 #c9ddf7, stop:1 #b5d0f3); }
QToolButton:pressed, QPushButton:pressed {
            background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #9dbbe6, stop:1 #cfe0f7); }
QToolButton:disabled, QPushButton:disabled { color: #8a9bb5; border-color: #a9bbd6; background: #e3eaf4; }
QLineEdit, QPlainTextEdit, QTextBrowser, QListWidget, QComboBox { border: 1px solid #7f9fcc; border-radius: 3px;
            selection-background-color: #2b5fae; selection-color: white; }
QLineEdit:disabled { background: #edf1f7; color: #7d8aa0; }
QLineEdit { lineedit-password-character: 42; }
QTabBar::tab { color: #0b2447; border: 1px solid #7f9fcc; border-bottom: none; border-top-left-radius: 5px;
            border-top-right-radius: 5px; padding: 2px 8px; margin-right: 2px;
            background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #f7faff, stop:1 #c8dbf4); }
QTabBar::tab:selected { background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #ffffff, stop:1 #9fc0ee); font-weight: bold; }
QStatusBar { background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #3a6fbe, stop:1 #214f96); color: white; }
QStatusBar QLabel { color: white; padding: 0 4px; border-right: 1px solid #7fa6dc; }
QLabel[skinLabel="true"] { color: #13407f; background: transparent; }
QCheckBox { color: #0b2447; }
)");
}

void Skin::apply(QWidget *window) const
{
    if (!window)
        return;
    if (qApp && qApp->styleSheet().isEmpty())
        qApp->setStyleSheet(styleSheet());
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

void SkinCompanion::operation1(const Skin *skin)
{
    ++m_calls[0];
    m_skin = skin;
}

void SkinCompanion::operation2()
{
    ++m_calls[1];
    // Tool tips and message boxes take the skin's colours too.
    if (m_skin && qApp) {
        QPalette p = QApplication::palette();
        p.setColor(QPalette::ToolTipBase, m_skin->backColor());
        p.setColor(QPalette::ToolTipText, m_skin->foreColor());
        QApplication::setPalette(p);
    }
}

void SkinCompanion::operation3()
{
    ++m_calls[2];
}

SkinCompanion &skinCompanion()
{
    static SkinCompanion companion;
    return companion;
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

bool isNt6OrLater()
{
#ifdef Q_OS_WIN
    return QOperatingSystemVersion::current() >= QOperatingSystemVersion::WindowsVista;
#else
    return false;
#endif
}

void setPlainRegion(QWidget *window)
{
    // The size in twips: a rectangle at least as large as the window.
    window->setMask(QRegion(0, 0, window->width() * 15, window->height() * 15));
}

void applySkin(QWidget *window, bool newerPlatform)
{
    const Skin *skin = currentSkin();
    if (!skin || !window)
        return;
    recolorControls(window, skin->backColor(), skin->foreColor(), skin->panelColor());
    if (newerPlatform)
        setPlainRegion(window);
    skin->apply(window);
}

void prepareMainSkin(bool newerPlatform)
{
    if (newerPlatform)
        skinCompanion().operation3();
}

void replaceLabels(QWidget *window)
{
    QList<QLabel *> models;
    for (int i = 1; i <= 3; ++i) {
        if (auto *m = window->findChild<QLabel *>(QStringLiteral("SkinLabel%1_0").arg(i)))
            models.append(m);
    }
    if (models.isEmpty())
        return;
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (controlTypeName(label) != QLatin1String("Label"))
            continue;
        QLabel *model = nullptr;
        if (models.size() == 1 && models[0]->objectName() == QLatin1String("SkinLabel1_0")) {
            model = models[0];
        } else {
            for (QLabel *m : models)
                if (m->parentWidget() == label->parentWidget()) {
                    model = m;
                    break;
                }
        }
        if (!model)
            continue; // a label in no matching container is left alone
        const QString prefix = model->objectName().chopped(2);
        int highest = 0;
        for (QLabel *other : window->findChildren<QLabel *>())
            if (other->objectName().startsWith(prefix + QLatin1Char('_')))
                highest = std::max(highest, other->objectName().mid(prefix.size() + 1).toInt());
        auto *copy = new QLabel(label->parentWidget());
        copy->setObjectName(QStringLiteral("%1_%2").arg(prefix).arg(highest + 1));
        copy->setProperty("skinLabel", true);
        copy->setGeometry(label->geometry());
        copy->setFont(label->font());
        copy->setText(label->text());
        copy->setAlignment(label->alignment());
        copy->setWordWrap(label->wordWrap());
        copy->setVisible(!label->isHidden());
        copy->raise();
        // The windowed skin label covers the plain one.
        label->lower();
        label->setProperty("coveredBySkinLabel", true);
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Qt::transparent);
        label->setPalette(p);
    }
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
