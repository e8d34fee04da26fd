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

// The companion object that the skin set-up calls. Its three operations keep
// the application's palette in step with the skin.
class SkinCompanion {
public:
    void operation1(const Skin *skin);
    void operation2();
    void operation3();
    int calls(int operation) const { return m_calls[operation - 1]; }

private:
    const Skin *m_skin = nullptr;
    int m_calls[3] = { 0, 0, 0 };
};
SkinCompanion &skinCompanion();

// The type name of a control as the skin's recolouring table knows it:
// "CommandButton", "TextBox", "ComboBox", "ListBox", "ListView", "PictureBox",
// "CheckBox", "Label", "Frame", ...
QString controlTypeName(const QWidget *w);

// The platform's answer: true on the newer systems, where the skin also
// gives each window a plain region.
bool isNt6OrLater();
void applySkin(QWidget *window, bool newerPlatform = isNt6OrLater());
void recolorControls(QWidget *window, const QColor &back, const QColor &fore, const QColor &panel);
void setPlainRegion(QWidget *window);
void prepareMainSkin(bool newerPlatform = isNt6OrLater());
// Puts a skinned copy over every plain label of the window, in the first
// skin-label array whose member 0 shares the label's container.
void replaceLabels(QWidget *window);
// The program icon, "AAA": images from 16 to 128 pixels.
void setWindowIcon(QWidget *window, const QString &iconName, bool alsoTopOwner);
void setOnTop(QWidget *window, bool onTop);
