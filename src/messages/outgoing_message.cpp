#include "messages/outgoing_message.h"

#include "messages/link_converter.h"

QString outgoingMessage(const QString &message, const QString &formatName, const TemplateSet &templates)
{
    return convertMessage(message + QLatin1String("\r\n\r\n"), formatName, templates);
}
