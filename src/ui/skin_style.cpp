#include "ui/skin_style.h"

#include "ui/skin.h"

#include <QGroupBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStatusBar>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

// The shades of "Gem Blue" that only the drawing uses; the skin's own four
// colours come from the Skin.
const QColor kWindow(0xdf, 0xe9, 0xf8);
const QColor kTitle(0x13, 0x40, 0x7f);
const QColor kFrame(0x7f, 0x9f, 0xcc);
const QColor kButtonBorder(0x5d, 0x83, 0xbb);
const QColor kDisabledText(0x8a, 0x9b, 0xb5);

QLinearGradient vertical(const QRectF &r, std::initializer_list<QPair<qreal, QColor>> stops)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    for (const auto &stop : stops)
        g.setColorAt(stop.first, stop.second);
    return g;
}

void roundedPanel(QPainter *p, const QRectF &r, qreal radius, const QBrush &fill, const QColor &border)
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(QPen(border, 1));
    p->setBrush(fill);
    p->drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p->restore();
}

// A glossy button: a light upper half over a deeper lower half.
void buttonPanel(QPainter *p, const QStyleOption *option, const QColor &accent)
{
    const QRectF r = option->rect;
    const bool enabled = option->state & QStyle::State_Enabled;
    const bool down = option->state & (QStyle::State_Sunken | QStyle::State_On);
    const bool hover = enabled && (option->state & QStyle::State_MouseOver);
    if (!enabled) {
        roundedPanel(p, r, 5, QColor(0xe3, 0xea, 0xf4), QColor(0xa9, 0xbb, 0xd6));
    } else if (down) {
        roundedPanel(
            p, r, 5, vertical(r, { { 0.0, QColor(0x9d, 0xbb, 0xe6) }, { 1.0, QColor(0xcf, 0xe0, 0xf7) } }), accent);
    } else {
        const QColor mid1 = hover ? QColor(0xe7, 0xf1, 0xfd) : QColor(0xdc, 0xe9, 0xfa);
        const QColor mid2 = hover ? QColor(0xc9, 0xdd, 0xf7) : QColor(0xbc, 0xd3, 0xf2);
        const QColor low = hover ? QColor(0xb5, 0xd0, 0xf3) : QColor(0xa9, 0xc6, 0xee);
        roundedPanel(p, r, 5, vertical(r, { { 0.0, Qt::white }, { 0.48, mid1 }, { 0.52, mid2 }, { 1.0, low } }),
            hover ? accent : kButtonBorder);
    }
}

} // namespace

SkinStyle::SkinStyle(const Skin &skin)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    , m_text(skin.foreColor())
    , m_accent(skin.panelColor())
    , m_tipBack(skin.backColor())
{
}

void SkinStyle::polish(QPalette &palette)
{
    QProxyStyle::polish(palette);
    palette.setColor(QPalette::Window, kWindow);
    palette.setColor(QPalette::WindowText, m_text);
    palette.setColor(QPalette::Button, QColor(0xdc, 0xe9, 0xfa));
    palette.setColor(QPalette::ButtonText, m_text);
    palette.setColor(QPalette::Text, m_text);
    palette.setColor(QPalette::Highlight, m_accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, m_tipBack);
    palette.setColor(QPalette::ToolTipText, m_text);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, kDisabledText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, kDisabledText);
    palette.setColor(QPalette::Disabled, QPalette::Text, kDisabledText);
}

void SkinStyle::polish(QWidget *widget)
{
    QProxyStyle::polish(widget);
    if (qobject_cast<QLabel *>(widget)) {
        QPalette p = widget->palette();
        if (qobject_cast<QStatusBar *>(widget->parentWidget()))
            p.setColor(QPalette::WindowText, Qt::white);
        else if (widget->property("skinLabel").toBool())
            p.setColor(QPalette::WindowText, kTitle);
        else
            return;
        widget->setPalette(p);
    }
}

void SkinStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    switch (element) {
    case PE_PanelButtonCommand:
    case PE_PanelButtonBevel:
        buttonPanel(painter, option, m_accent);
        return;
    case PE_PanelButtonTool:
        // Tool buttons that rise only under the mouse stay flat otherwise.
        if ((option->state & State_AutoRaise) && !(option->state & (State_MouseOver | State_Sunken | State_On)))
            return;
        buttonPanel(painter, option, m_accent);
        return;
    case PE_FrameGroupBox: {
        const QRectF r = option->rect;
        roundedPanel(painter, r, 6,
            vertical(r, { { 0.0, QColor(0xf2, 0xf7, 0xfe) }, { 1.0, QColor(0xdb, 0xe7, 0xf7) } }), kFrame);
        return;
    }
    case PE_PanelStatusBar: {
        const QRectF r = option->rect;
        painter->fillRect(r, vertical(r, { { 0.0, QColor(0x3a, 0x6f, 0xbe) }, { 1.0, QColor(0x21, 0x4f, 0x96) } }));
        return;
    }
    case PE_FrameStatusBarItem:
        painter->save();
        painter->setPen(QColor(0x7f, 0xa6, 0xdc));
        painter->drawLine(option->rect.topRight(), option->rect.bottomRight());
        painter->restore();
        return;
    case PE_PanelMenuBar:
        painter->fillRect(option->rect,
            vertical(option->rect, { { 0.0, QColor(0xf4, 0xf8, 0xfe) }, { 1.0, QColor(0xc9, 0xdb, 0xf3) } }));
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void SkinStyle::drawControl(
    ControlElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    switch (element) {
    case CE_MenuBarEmptyArea:
        drawPrimitive(PE_PanelMenuBar, option, painter, widget);
        return;
    case CE_MenuBarItem:
        if (!(option->state & State_Selected))
            drawPrimitive(PE_PanelMenuBar, option, painter, widget);
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    case CE_TabBarTabShape: {
        const bool selected = option->state & State_Selected;
        QRectF r = QRectF(option->rect).adjusted(0, selected ? 0 : 2, -2, 0);
        QPainterPath path;
        path.moveTo(r.bottomLeft());
        path.lineTo(r.left(), r.top() + 5);
        path.quadTo(r.topLeft(), QPointF(r.left() + 5, r.top()));
        path.lineTo(r.right() - 5, r.top());
        path.quadTo(r.topRight(), QPointF(r.right(), r.top() + 5));
        path.lineTo(r.bottomRight());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(kFrame);
        painter->setBrush(selected
                ? vertical(r, { { 0.0, Qt::white }, { 1.0, QColor(0x9f, 0xc0, 0xee) } })
                : vertical(r, { { 0.0, QColor(0xf7, 0xfa, 0xff) }, { 1.0, QColor(0xc8, 0xdb, 0xf4) } }));
        painter->drawPath(path);
        painter->restore();
        return;
    }
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void SkinStyle::drawComplexControl(
    ComplexControl control, const QStyleOptionComplex *option, QPainter *painter, const QWidget *widget) const
{
    const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    if (control != CC_GroupBox || !box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The frame, and the title on its top edge in bold.
    QStyleOptionFrame frame;
    frame.QStyleOption::operator=(*box);
    frame.rect = subControlRect(CC_GroupBox, option, SC_GroupBoxFrame, widget);
    drawPrimitive(PE_FrameGroupBox, &frame, painter, widget);
    if (box->text.isEmpty())
        return;
    QRect title = subControlRect(CC_GroupBox, option, SC_GroupBoxLabel, widget);
    painter->save();
    QFont font = painter->font();
    font.setBold(true);
    painter->setFont(font);
    title.setWidth(QFontMetrics(font).horizontalAdvance(box->text) + 2);
    painter->fillRect(title.adjusted(-3, 0, 3, 0), kWindow);
    painter->setPen(kTitle);
    painter->drawText(title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, box->text);
    painter->restore();
}
