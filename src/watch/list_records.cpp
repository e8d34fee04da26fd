#include "watch/list_records.h"

QStringList listRecords(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        if (!line.isEmpty() && line != QLatin1String(" "))
            out.append(line);
    return out;
}

QString listFileText(const QStringList &records)
{
    QString text;
    for (const QString &r : records) {
        text += r;
        text += QLatin1String("\r\n\r\n");
    }
    return text;
}
