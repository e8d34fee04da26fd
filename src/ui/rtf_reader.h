#pragma once

#include <QByteArray>
#include <QString>

// A small RTF reader: groups, control words and their parameters, paragraphs
// and line breaks, tabs, bold, italic, underline, font sizes, the colour
// table, "\'hh" escapes and "\u" characters with their fallbacks. Font tables,
// style sheets, pictures and other destinations are skipped. Damaged input
// gives what can be read; the reader never fails, runs in linear time and
// needs QtCore only.
namespace RtfReader {

// The document as HTML for a rich text view: about as large as the file
// (a few times at most), with few elements.
QString toHtml(const QByteArray &rtf);
// The visible text alone, paragraphs ended by "\n".
QString toPlainText(const QByteArray &rtf);

} // namespace RtfReader
