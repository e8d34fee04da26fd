#pragma once

#include <QColor>
#include <QString>

class QWidget;

// The program's one skin, "Gem Blue": a palette and a style of our own.
class Skin {
public:
    Skin();

    QString description() const { return QStringLiteral("Gem Blue"); }
    // The four colours, in the order the program reads them.
    QColor backColor() const { return m_back; }
    QColor foreColor() const { return m_fore; }
    QColor panelColor() const { return m_panel; }
    QColor panelTextColor() const { return m_panelText; }

    // Skins one window: the process-wide style, set on the first call.
    void apply(QWidget *window) const;

private:
    QColor m_back;
    QColor m_fore;
    QColor m_panel;
    QColor m_panelText;
};

// The skin every window uses; set by the splash window, null before.
const Skin *currentSkin();
void setCurrentSkin(const Skin *skin);

// The type name of a control as the skin's recolouring table knows it:
// "CommandButton", "TextBox", "ComboBox", "ListBox", "ListView", "PictureBox",
// "CheckBox", "Label", "Frame", ...
QString controlTypeName(const QWidget *w);

// Skins one window: its controls take the skin's colours, its labels the
// skin's own look, and the window the skin's style.
void applySkin(QWidget *window);
void recolorControls(QWidget *window, const QColor &back, const QColor &fore, const QColor &panel);
// The program icon, "AAA": images from 16 to 128 pixels.
void setWindowIcon(QWidget *window, const QString &iconName, bool alsoTopOwner);
void setOnTop(QWidget *window, bool onTop);
