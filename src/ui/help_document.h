#pragma once

#include <QString>

// The help file, read and converted for the Help window.
struct HelpDocument {
    bool ok = false;
    QString html;
    QString error; // why the file is not shown, naming it
};

// Larger help files are refused: reading one costs memory and time in
// proportion, and no real help text comes near this size.
constexpr qint64 kMaxHelpFileBytes = 4 * 1024 * 1024;

// Reads an RTF file and converts it to HTML. Needs QtCore only.
HelpDocument readHelpDocument(const QString &path);
