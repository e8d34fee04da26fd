#pragma once

#include <QString>
#include <QStringList>

// The list files (posts.txt, sizes.txt, posts2.txt) keep an empty line after
// every record. Reading skips lines that are empty or one space.
QStringList listRecords(const QStringList &lines);
// Each record followed by CR LF CR LF.
QString listFileText(const QStringList &records);
