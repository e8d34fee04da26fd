#pragma once

#include <QByteArray>
#include <QString>

// A small RTF reader: groups, control words and their parameters, paragraphs
// and line breaks, tabs, bold, italic, underline, font sizes, the colour
// table, "\'hh" escapes and "\u" characters with their fallbacks. Font tables,
// style sheets, pictures and other destinations are skipped. Damaged input
// gives what can be read; the reader never fails and runs in linear time.
namespace RtfReader {

// The document as HTML for a rich text view.
QString toHtml(const QByteArray &rtf);
// The visible text alone, paragraphs ended by "\n".
QString toPlainText(const QByteArray &rtf);

} // namespace RtfReader
