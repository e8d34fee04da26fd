#include "platform/key_sender.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace {

int keyFor(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 'a' && u <= 'z')
        return Qt::Key_A + (u - 'a');
    if (u >= 0x20 && u < 0x7f)
        return u; // Qt's key codes for printable ASCII are the upper-case codes
    return Qt::Key_unknown;
}

void post(QWidget *target, int key, const QString &text)
{
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

} // namespace

void sendKeystrokes(QWidget *target, const QString &text)
{
    if (!target)
        return;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            post(target, Qt::Key_Return, QStringLiteral("\r"));
        } else if (c == QLatin1Char('\t')) {
            post(target, Qt::Key_Tab, QStringLiteral("\t"));
        } else if (c.isHighSurrogate() && i + 1 < text.size()) {
            post(target, Qt::Key_unknown, text.mid(i, 2));
            ++i;
        } else {
            post(target, keyFor(c), QString(c));
        }
    }
}
