#pragma once

#include <QString>

class TemplateSet;

// The one text that Auto-Insert, Paste Message, Copy and Preview carry out:
// the message, two line breaks, converted with the chosen format ("text"
// leaves it as it is).
QString outgoingMessage(const QString &message, const QString &formatName, const TemplateSet &templates);
