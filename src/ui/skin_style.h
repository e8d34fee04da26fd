#pragma once

#include <QColor>
#include <QProxyStyle>

class Skin;

// The skin's look drawn by a style over Fusion: glossy blue buttons and tabs,
// a soft gradient in group boxes, the menu bar and the status bar. It does
// what a style sheet would, without re-polishing every widget at start-up.
class SkinStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit SkinStyle(const Skin &skin);

    void polish(QPalette &palette) override;
    void polish(QWidget *widget) override;
    void drawPrimitive(
        PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override;
    void drawControl(
        ControlElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
        const QWidget *widget) const override;

private:
    QColor m_text;
    QColor m_accent;
    QColor m_tipBack;
};
