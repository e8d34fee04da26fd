#pragma once

#include <QString>

// Standard output and standard error, in UTF-8.
void writeOut(const QString &text);
// One line on standard error.
void writeError(const QString &line);
// One line on standard error, after the program's name.
void reportError(const QString &line);
