#pragma once

#include "platform/data_folder.h"

#include <QString>
#include <QStringList>

// One saved message as read back from a record line.
struct SavedMessage {
    QString body; // line breaks restored
    QString subject;
    bool hasSubject = false;
};

// The saved messages in messages.txt: one record per line, the body with its
// line breaks written as "[br]", then "|", then the subject with its own "|"
// written as "[bar]".
class MessageStore {
public:
    static constexpr const char *kFileName = "messages.txt";

    explicit MessageStore(const DataFolder &folder);

    static QString encodeRecord(const QString &body, const QString &subject);
    // The subject is what follows the last "|", so a body holding "|" comes
    // back whole; "[br]" in any letter case becomes CR LF.
    static SavedMessage parseRecord(const QString &line);
    static QString decodeBody(const QString &encoded);
    // The subject on one line, "|" written as "[bar]" and "[bar" as "[bar[".
    static QString encodeSubject(const QString &subject);
    // A subject on one line: each line break, CR LF, CR or LF, a space.
    static QString singleLineSubject(QString subject);
    static QString decodeSubject(const QString &encoded);

    bool exists() const;
    // Every line of the file, in order, empty lines included.
    LineFile lines() const;
    // Appends a record; empty lines and lines of one space are dropped.
    bool save(const QString &body, const QString &subject, QString *error);
    // Removes every line equal to the given text.
    bool remove(const QString &entry, QString *error);

private:
    const DataFolder &m_folder;
};
