#include "ui/program_icon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QPixmap drawProgramIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // A blue gem-like speech bubble with a white arrow: a message that goes out.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(s * 0.06, s * 0.08, s * 0.88, s * 0.66), s * 0.16, s * 0.16);
    QPainterPath tail;
    tail.moveTo(s * 0.26, s * 0.70);
    tail.lineTo(s * 0.20, s * 0.94);
    tail.lineTo(s * 0.46, s * 0.72);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0.0, QColor(0x8c, 0xc1, 0xff));
    g.setColorAt(0.45, QColor(0x2f, 0x74, 0xd8));
    g.setColorAt(1.0, QColor(0x12, 0x3f, 0x8c));
    p.setPen(QPen(QColor(0x0c, 0x2c, 0x66), std::max<qreal>(1.0, s / 32)));
    p.setBrush(g);
    p.drawPath(bubble);
    // Gloss on the upper half.
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(s * 0.12, s * 0.12, s * 0.76, s * 0.26), s * 0.12, s * 0.12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawPath(gloss);
    // The arrow.
    QPainterPath arrow;
    arrow.moveTo(s * 0.28, s * 0.36);
    arrow.lineTo(s * 0.56, s * 0.36);
    arrow.lineTo(s * 0.56, s * 0.24);
    arrow.lineTo(s * 0.78, s * 0.42);
    arrow.lineTo(s * 0.56, s * 0.60);
    arrow.lineTo(s * 0.56, s * 0.48);
    arrow.lineTo(s * 0.28, s * 0.48);
    arrow.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    return pm;
}

QIcon programIcon(const QString &)
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128 })
        icon.addPixmap(drawProgramIcon(size));
    return icon;
}

QPixmap drawProductPicture(int width, int height)
{
    QPixmap pm(width, height);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, height);
    bg.setColorAt(0.0, QColor(0x1d, 0x4f, 0xa0));
    bg.setColorAt(1.0, QColor(0x0a, 0x22, 0x4d));
    p.fillRect(pm.rect(), bg);
    QRadialGradient shine(width * 0.3, 0, width * 0.8);
    shine.setColorAt(0.0, QColor(255, 255, 255, 80));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(pm.rect(), shine);
    const int iconSize = std::min(height * 2 / 3, width / 3);
    p.drawPixmap(height / 6, (height - iconSize) / 2, drawProgramIcon(iconSize));
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(std::max(12, height / 4));
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(height / 6 + iconSize + 12, 0, width, height), Qt::AlignVCenter | Qt::AlignLeft,
        QStringLiteral("Postmaven"));
    return pm;
}
