#include "platform/list_records.h"

#include "platform/data_folder.h"

#include <QFileInfo>

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

QString addressRefusal(const QString &address)
{
    for (qsizetype i = 0; i < address.size(); ++i) {
        const QChar c = address[i];
        if (c.category() != QChar::Other_Control)
            continue;
        const QString what = c == u'\r' || c == u'\n'
            ? QStringLiteral("a line break")
            : QStringLiteral("a control character (U+%1)")
                  .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        return QStringLiteral("the address holds %1 at character %2").arg(what).arg(i + 1);
    }
    return QString();
}

FileProblem fileProblem(const DataFolder &folder, const QString &name, const QString &error, int number)
{
    return { name, folder.filePath(name), error, number };
}

std::optional<QStringList> readListFile(const DataFolder &folder, const QString &name, QList<FileProblem> &problems)
{
    if (!QFileInfo::exists(folder.filePath(name)))
        return QStringList();
    // No value in these files holds a line break: a Linux editor's LF ends a line too.
    LineFile f = folder.readListLines(name);
    if (!f.ok) {
        problems.append(fileProblem(folder, name, f.error));
        return std::nullopt;
    }
    return f.lines;
}

bool writeListFile(const DataFolder &folder, const QString &name, const QString &text, FileProblem *problem)
{
    QString error;
    int number = 0;
    if (folder.writeText(name, text, &error, &number))
        return true;
    if (problem)
        *problem = fileProblem(folder, name, error, number);
    return false;
}
