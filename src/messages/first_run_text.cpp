#include "messages/first_run_text.h"

QString firstRunText()
{
    static const char *const lines[] = {
        "Type your first message here.  ",
        "",
        "Use plain-text, and be sure to put ",
        "http:// before your URLs.  Then go",
        "to a message forum's posting page ",
        "and hit the \"Insert Message\" button ",
        "to insert your message ",
        "automatically!  ",
        "",
        "You can switch between different ",
        "formatting types by changing the ",
        "value in the drop down box above.",
    };
    QString text;
    for (const char *line : lines) {
        text += QLatin1String(line);
        text += QLatin1String("\r\n");
    }
    return text;
}
