#pragma once

#include <QString>

class QWidget;

// Types text into a widget as key events, every character literally: no
// character has a meaning of its own. A CR LF pair (or a lone CR or LF) is one
// Return key. The events are queued, so they arrive after the caller returns.
void sendKeystrokes(QWidget *target, const QString &text);
