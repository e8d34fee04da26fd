#include "ui/start_page.h"

QString startPageAddress()
{
    return QStringLiteral("qrc:/start/start.html");
}
