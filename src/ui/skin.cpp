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
