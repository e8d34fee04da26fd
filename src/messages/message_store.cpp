#include "messages/message_store.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kBr = QStringLiteral("[br]");

// The subject is what follows the last "|" of a record, so a "|" in it is
// written as "[bar]". The lead-in "[bar" itself, where the subject holds it,
// is written as "[bar[", so every subject comes back exactly. Subjects saved
// before hold neither form unless typed so literally (nothing in the program
// ever gave those letters a meaning), and any other "[bar..." reads as before.
const QString kBarLeadIn = QStringLiteral("[bar");
const QString kBarEscape = QStringLiteral("[bar]");
const QString kLeadInEscape = QStringLiteral("[bar[");
} // namespace

MessageStore::MessageStore(const DataFolder &folder)
    : m_folder(folder)
{
}

QString MessageStore::encodeRecord(const QString &body, const QString &subject)
{
    QString encoded = body;
    encoded.replace(kCrLf, kBr);
    // A lone CR or LF would break the record over two lines.
    encoded.replace(QLatin1Char('\r'), kBr);
    encoded.replace(QLatin1Char('\n'), kBr);
    return encoded + QLatin1Char('|') + encodeSubject(subject);
}

QString MessageStore::singleLineSubject(QString subject)
{
    subject.replace(kCrLf, QStringLiteral(" "));
    subject.replace(QLatin1Char('\r'), QLatin1Char(' '));
    subject.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return subject;
}

QString MessageStore::encodeSubject(const QString &subject)
{
    // The subject is one line: a pasted line break becomes a space rather
    // than ending the record and starting a phantom one.
    const QString oneLine = singleLineSubject(subject);
    QString out;
    out.reserve(oneLine.size());
    for (qsizetype i = 0; i < oneLine.size(); ++i) {
        if (oneLine[i] == QLatin1Char('|')) {
            out += kBarEscape;
        } else if (QStringView(oneLine).mid(i).startsWith(kBarLeadIn)) {
            out += kLeadInEscape;
            i += kBarLeadIn.size() - 1;
        } else {
            out += oneLine[i];
        }
    }
    return out;
}

QString MessageStore::decodeSubject(const QString &encoded)
{
    QString out;
    out.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QStringView rest = QStringView(encoded).mid(i);
        if (rest.startsWith(kBarEscape)) {
            out += QLatin1Char('|');
            i += kBarEscape.size() - 1;
        } else if (rest.startsWith(kLeadInEscape)) {
            out += kBarLeadIn;
            i += kLeadInEscape.size() - 1;
        } else {
            out += encoded[i];
        }
    }
    return out;
}

QString MessageStore::decodeBody(const QString &encoded)
{
    QString body = encoded;
    body.replace(kBr, kCrLf, Qt::CaseInsensitive);
    return body;
}

SavedMessage MessageStore::parseRecord(const QString &line)
{
    SavedMessage m;
    const qsizetype bar = line.lastIndexOf(QLatin1Char('|'));
    if (bar < 0) {
        m.body = decodeBody(line);
        return m;
    }
    m.body = decodeBody(line.left(bar));
    m.subject = decodeSubject(line.mid(bar + 1));
    m.hasSubject = true;
    return m;
}

bool MessageStore::exists() const
{
    return m_folder.exists(QString::fromLatin1(kFileName));
}

LineFile MessageStore::lines() const
{
    return m_folder.readLines(QString::fromLatin1(kFileName));
}

bool MessageStore::save(const QString &body, const QString &subject, QString *error)
{
    QString acc;
    if (exists()) {
        const LineFile file = lines();
        if (!file.ok) {
            *error = file.error;
            return false;
        }
        for (const QString &line : file.lines) {
            if (line.isEmpty() || line == QLatin1String(" "))
                continue;
            acc += line;
            acc += kCrLf;
        }
    }
    acc += encodeRecord(body, subject);
    // The record itself never holds a line break; the lines kept above hold
    // none either, so there is no empty line left to squeeze out.
    acc += kCrLf;
    return m_folder.writeText(QString::fromLatin1(kFileName), acc, error);
}

bool MessageStore::remove(const QString &entry, QString *error)
{
    const LineFile file = lines();
    if (!file.ok) {
        *error = file.error;
        return false;
    }
    QString acc;
    for (const QString &line : file.lines) {
        if (line == entry)
            continue;
        acc += line;
        acc += kCrLf;
    }
    // A delete leaves one empty line at the end; the next save drops it.
    acc += kCrLf;
    return m_folder.writeText(QString::fromLatin1(kFileName), acc, error);
}
